// Widgets of the model builder.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "datagraph/approxim_auswahl.h"
#include "platform/string_grid.h"

namespace {

struct Gruppe {
  const char* name;
  const char* titel;
  const char* praefix;
  std::vector<const char*> boxen;
};

QPushButton* knopf(QWidget* eltern, const char* name, const QString& text, const QString& hinweis) {
  auto* b = new QPushButton(text, eltern);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(hinweis);
  b->setFixedSize(100, 30);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

void TfrApproxim_Auswahl::LayoutErzeugen() {
  setObjectName(QStringLiteral("frApproxim_Auswahl"));
  setWindowTitle(QStringLiteral(" Approximation Auswahl"));
  resize(780, 560);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  // ---- Model text and formula with values ----
  plOben = new QLabel(this);
  plOben->setObjectName(QStringLiteral("plOben"));
  plOben->setFrameShape(QFrame::StyledPanel);
  plOben->setAlignment(Qt::AlignCenter);
  plOben->setMinimumHeight(34);
  plOben->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont fett = plOben->font();
  fett.setBold(true);
  fett.setPointSize(fett.pointSize() + 1);
  plOben->setFont(fett);
  haupt->addWidget(plOben);

  plOben2 = new QFrame(this);
  plOben2->setObjectName(QStringLiteral("plOben2"));
  plOben2->setFrameShape(QFrame::StyledPanel);
  auto* formelLayout = new QHBoxLayout(plOben2);
  formelLayout->setContentsMargins(0, 4, 0, 4);
  edFormel = new QLineEdit(plOben2);
  edFormel->setObjectName(QStringLiteral("edFormel"));
  edFormel->setFrame(false);
  edFormel->setAlignment(Qt::AlignCenter);
  QFont formelSchrift = edFormel->font();
  formelSchrift.setBold(true);
  edFormel->setFont(formelSchrift);
  QPalette p = edFormel->palette();
  p.setColor(QPalette::Text, Qt::blue);
  p.setColor(QPalette::Base, plOben2->palette().color(QPalette::Window));
  edFormel->setPalette(p);
  formelLayout->addWidget(edFormel);
  haupt->addWidget(plOben2);

  // ---- Term boxes (left) and coefficients (right) ----
  auto* mitte = new QHBoxLayout();
  mitte->setContentsMargins(6, 6, 6, 6);
  mitte->setSpacing(8);

  plLinks = new QFrame(this);
  plLinks->setObjectName(QStringLiteral("plLinks"));
  auto* links = new QGridLayout(plLinks);
  links->setContentsMargins(0, 0, 0, 0);
  links->setSpacing(6);
  const std::vector<Gruppe> gruppen = {
      {"gbPF", " Polynomiale-Funktionen ", "cbX",
       {"Konstante", "x", "x^2", "x^3", "x^4", "x^5", "x^6", "x^7", "x^8", "x^9", "x^10"}},
      {"gbRF", " Rationale-Funktionen ", "cbRF", {"1/x", "1/(x^2)", "1/(x^3)", "1/(x^4)", "1/(x^5)"}},
      {"gbEF", " Exponential-Funktionen ", "cbEF",
       {"e^x", "e^(x^2)", "e^(-x)", "e^(-x^2)", "10^x", "10^(x^2)"}},
      {"gbWF", " Wurzel-Funktionen ", "cbWF", {"Sqrt(x)", "x^(1/3)"}},
      {"gbLF", " Logarithmische-Funktionen ", "cbLF", {"Ln(x)", "Log(x)"}},
  };
  QGroupBox** ziele[] = {&gbPF, &gbRF, &gbEF, &gbWF, &gbLF};
  for (size_t g = 0; g < gruppen.size(); ++g) {
    auto* box = new QGroupBox(QString::fromUtf8(gruppen[g].titel), plLinks);
    box->setObjectName(QString::fromLatin1(gruppen[g].name));
    auto* spalte = new QVBoxLayout(box);
    spalte->setSpacing(1);
    spalte->setContentsMargins(8, 4, 8, 4);
    for (size_t i = 0; i < gruppen[g].boxen.size(); ++i) {
      auto* cb = new QCheckBox(QString::fromLatin1(gruppen[g].boxen[i]), box);
      cb->setObjectName(QString::fromLatin1(gruppen[g].praefix) + QString::number(i + 1));
      spalte->addWidget(cb);
      boxen_.push_back(cb);
    }
    spalte->addStretch(1);
    *ziele[g] = box;
  }
  links->addWidget(gbPF, 0, 0, 2, 1);
  links->addWidget(gbRF, 0, 1);
  links->addWidget(gbEF, 1, 1);
  links->addWidget(gbWF, 2, 0);
  links->addWidget(gbLF, 2, 1);
  links->setColumnStretch(0, 1);
  links->setColumnStretch(1, 1);
  mitte->addWidget(plLinks, 0);

  plRechts = new QFrame(this);
  plRechts->setObjectName(QStringLiteral("plRechts"));
  auto* rechts = new QVBoxLayout(plRechts);
  rechts->setContentsMargins(0, 0, 0, 0);
  rechts->setSpacing(6);
  cbApp = new QComboBox(plRechts);
  cbApp->setObjectName(QStringLiteral("cbApp"));
  rechts->addWidget(cbApp);
  sg = new StringGrid(plRechts);
  sg->setObjectName(QStringLiteral("sg"));
  sg->setColCount(2);
  sg->setRowCount(2);
  sg->setFixedCols(1);
  sg->setFixedRows(1);
  sg->setEditing(true);
  sg->setCells(0, 0, QStringLiteral(" Nr"));
  sg->setCells(1, 0, QStringLiteral(" Koeffizienten"));
  sg->setColWidth(0, 32);
  sg->setColWidth(1, 100);
  sg->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  sg->setCellColorHook([](int col, int row, QColor& hintergrund, QColor& text) {
    if (col == 0 || row == 0) {
      hintergrund = QColor(255, 255, 102);
    } else {
      hintergrund = Qt::white;
      text = Qt::black;
    }
  });
  rechts->addWidget(sg, 1);
  cbAbrunden = new QCheckBox(QStringLiteral("Abrunden"), plRechts);
  cbAbrunden->setObjectName(QStringLiteral("cbAbrunden"));
  cbAbrunden->setToolTip(QStringLiteral("Koeffiziente abrunden"));
  rechts->addWidget(cbAbrunden);
  cbApproximZeigen = new QCheckBox(QStringLiteral("Approximation-Fenster"), plRechts);
  cbApproximZeigen->setObjectName(QStringLiteral("cbApproximZeigen"));
  cbApproximZeigen->setChecked(true);
  rechts->addWidget(cbApproximZeigen);
  // The coefficient side takes the rest of the width (about the window width - 400): a
  // width computed from the window's would make the layout widen the window, again and again.
  plRechts->setMinimumWidth(120);
  mitte->addWidget(plRechts, 1);
  haupt->addLayout(mitte, 1);

  // ---- Buttons, placed by Buttonsplatzieren() (centred, 20 apart) ----
  plMenu = new QFrame(this);
  plMenu->setObjectName(QStringLiteral("plMenu"));
  plMenu->setFrameShape(QFrame::StyledPanel);
  plMenu->setFixedHeight(46);
  sbKopieren = knopf(plMenu, "sbKopieren", QStringLiteral("Kopieren"),
                     QStringLiteral("Formel kopieren in Zwischenablge"));
  sbLoschen = knopf(plMenu, "sbLoschen", QStringLiteral("Löschen"), QStringLiteral("Auswahl löschen"));
  sbNeueFktPlus = knopf(plMenu, "sbNeueFktPlus", QStringLiteral("Übernehmen"),
                        QStringLiteral("Approximationsansatz übernehmen"));
  sbExit = knopf(plMenu, "sbExit", QStringLiteral("Exit"), QStringLiteral("Fenster schließen"));
  haupt->addWidget(plMenu);
}
