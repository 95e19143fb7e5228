// Builds the data graph settings dialog's widgets: one row per curve (number, colour panel,
// point style, line style, width), the marker options, and the button row below.
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/dialog_symbole.h"
#include "platform/einstell_bausteine.h"
#include "datagraph/einstellung_grafik.h"
#include "platform/chart_view.h"
#include "platform/text_combo.h"

namespace {

TextCombo* neueStilCombo(QWidget* eltern, const QString& name, const QStringList& eintraege,
                         const QString& text, int breite) {
  auto* cb = new TextCombo(eltern);
  cb->setObjectName(name);
  cb->addItems(eintraege);
  cb->setMaxVisibleItems(static_cast<int>(eintraege.size()));
  cb->setText(text);
  cb->setFixedWidth(breite);
  return cb;
}

QCheckBox* neueCheckBox(QWidget* eltern, const char* name, const QString& text) {
  auto* cb = new QCheckBox(text, eltern);
  cb->setObjectName(QString::fromLatin1(name));
  cb->setChecked(true);
  return cb;
}

QPushButton* neuerKnopf(QWidget* eltern, const char* name, const QString& text, const QString& hinweis,
                        const QIcon& bild = QIcon()) {
  auto* b = new QPushButton(text, eltern);
  b->setObjectName(QString::fromLatin1(name));
  b->setToolTip(hinweis);
  b->setAutoDefault(false);
  b->setFocusPolicy(Qt::NoFocus);  // speed buttons: the keyboard stays on the settings
  if (!bild.isNull()) {
    b->setIcon(bild);
    b->setIconSize(QSize(20, 20));
    b->setFixedWidth(38);
  } else {
    b->setMinimumWidth(76);
  }
  return b;
}

// A sheet with a folded corner, the picture of a settings file.
void Blatt(QPainter& p, double x, double y) {
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(Qt::white);
  const QPointF ecken[] = {{x + 0.5, y + 0.5}, {x + 8.5, y + 0.5}, {x + 11.5, y + 3.5},
                           {x + 11.5, y + 15.5}, {x + 0.5, y + 15.5}};
  p.drawPolygon(ecken, 5);
  p.setPen(QPen(QColor(120, 140, 190), 1));
  for (double z = 6.5; z <= 13.5; z += 2.5) p.drawLine(QPointF(x + 2.5, y + z), QPointF(x + 9.5, y + z));
}

QIcon SpeichernAlsSymbol() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    Blatt(p, 1, 1);
    // The disk in front: saved under a name of one's own.
    p.setPen(QPen(QColor(30, 50, 100), 1));
    p.setBrush(QColor(60, 100, 180));
    p.drawRoundedRect(QRectF(9.5, 9.5, 9, 9), 1, 1);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(11.5, 9.5, 5, 3.5));
  });
}

QIcon LadenSymbol() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 30), 1));
    p.setBrush(QColor(240, 200, 90));
    const QPointF mappe[] = {{1.5, 5.5}, {7.5, 5.5}, {9.5, 7.5}, {17.5, 7.5}, {17.5, 17.5}, {1.5, 17.5}};
    p.drawPolygon(mappe, 6);
    p.setBrush(QColor(250, 225, 140));
    const QPointF deckel[] = {{1.5, 17.5}, {4.5, 10.5}, {19.5, 10.5}, {17.5, 17.5}};
    p.drawPolygon(deckel, 4);
    p.setPen(QPen(QColor(30, 120, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(13, 2), QPointF(13, 8));
    p.drawLine(QPointF(10.5, 5.5), QPointF(13, 8));
    p.drawLine(QPointF(15.5, 5.5), QPointF(13, 8));
  });
}

QIcon LadenStandSymbol() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    Blatt(p, 1, 2);
    // A turning arrow: the stored settings come back.
    p.setPen(QPen(QColor(30, 120, 40), 2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(9, 7, 9, 9), 30 * 16, 270 * 16);
    p.drawLine(QPointF(17.3, 8.5), QPointF(17.6, 12));
    p.drawLine(QPointF(17.3, 8.5), QPointF(14, 9.5));
  });
}

}  // namespace

void TfrEinstellung_Grafik::LayoutErzeugen() {
  setWindowTitle(QStringLiteral("Einstellung"));

  auto* fenster = new QVBoxLayout(this);
  fenster->setContentsMargins(0, 0, 0, 0);
  Panel1 = new QFrame(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  static_cast<QFrame*>(Panel1)->setFrameShape(QFrame::StyledPanel);
  fenster->addWidget(Panel1);

  auto* inhalt = new QVBoxLayout(Panel1);
  inhalt->setContentsMargins(10, 8, 10, 10);
  inhalt->setSpacing(8);

  // ---- One row per curve ----------------------------------------------------------------
  auto* kurven = new QGridLayout;
  kurven->setHorizontalSpacing(6);
  kurven->setVerticalSpacing(2);
  const QStringList ueberschriften = {QString(), QStringLiteral("Farbe"), QStringLiteral("Punkt"),
                                      QStringLiteral("Linie"), QStringLiteral("Stärke")};
  for (int s = 0; s < ueberschriften.size(); ++s) {
    auto* kopf = new QLabel(ueberschriften[s], Panel1);
    QFont f = kopf->font();
    f.setBold(true);
    kopf->setFont(f);
    kurven->addWidget(kopf, 0, s, s == 0 ? Qt::AlignRight : Qt::AlignLeft);
  }
  const QStringList& punktArten = ChartSeries::pointerStyleNames();
  const QStringList& linienArten = ChartSeries::penStyleNames();
  QStringList staerken;
  for (int i = 1; i <= 10; ++i) staerken << QString::number(i);

  FarbPanel** panels[] = {&plF1,  &plF2,  &plF3,  &plF4,  &plF5,  &plF6,  &plF7,
                          &plF8,  &plF9,  &plF10, &plF11, &plF12, &plF13, &plF14,
                          &plF15, &plF16, &plF17, &plF18, &plF19, &plF20};
  TextCombo** punkte[] = {&cb1,  &cb2,  &cb3,  &cb4,  &cb5,  &cb6,  &cb7,  &cb8,  &cb9,  &cb10,
                          &cb11, &cb12, &cb13, &cb14, &cb15, &cb16, &cb17, &cb18, &cb19, &cb20};
  TextCombo** linien[] = {&cbL1,  &cbL2,  &cbL3,  &cbL4,  &cbL5,  &cbL6,  &cbL7,
                          &cbL8,  &cbL9,  &cbL10, &cbL11, &cbL12, &cbL13, &cbL14,
                          &cbL15, &cbL16, &cbL17, &cbL18, &cbL19, &cbL20};
  TextCombo** breiten[] = {&cbS1,  &cbS2,  &cbS3,  &cbS4,  &cbS5,  &cbS6,  &cbS7,
                           &cbS8,  &cbS9,  &cbS10, &cbS11, &cbS12, &cbS13, &cbS14,
                           &cbS15, &cbS16, &cbS17, &cbS18, &cbS19, &cbS20};
  for (int i = 1; i <= 20; ++i) {
    const int z = i - 1;
    auto* nummer = new QLabel(QString::number(i), Panel1);
    nummer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    kurven->addWidget(nummer, i, 0);
    auto* panel = new FarbPanel(Panel1);
    panel->setObjectName(QStringLiteral("plF") + QString::number(i));
    panel->setToolTip(QStringLiteral("Farbe ändern"));
    panel->setFixedSize(44, 20);
    *panels[z] = panel;
    kurven->addWidget(panel, i, 1);
    // The layout's defaults: the nine point styles in order, then circles.
    *punkte[z] = neueStilCombo(Panel1, QStringLiteral("cb") + QString::number(i), punktArten,
                               i <= 9 ? punktArten[z] : QStringLiteral("Circle"), 118);
    kurven->addWidget(*punkte[z], i, 2);
    *linien[z] = neueStilCombo(Panel1, QStringLiteral("cbL") + QString::number(i), linienArten,
                               QStringLiteral("Solid"), 108);
    kurven->addWidget(*linien[z], i, 3);
    *breiten[z] = neueStilCombo(Panel1, QStringLiteral("cbS") + QString::number(i), staerken,
                                QStringLiteral("2"), 52);
    kurven->addWidget(*breiten[z], i, 4);
  }
  kurven->setColumnStretch(5, 1);
  inhalt->addLayout(kurven);

  // ---- Markers and axis -----------------------------------------------------------------
  auto* trenner = new QFrame(Panel1);
  trenner->setFrameShape(QFrame::HLine);
  trenner->setFrameShadow(QFrame::Sunken);
  inhalt->addWidget(trenner);

  auto* optionen = new QGridLayout;
  optionen->setHorizontalSpacing(8);
  optionen->setVerticalSpacing(2);
  cpPkt_Verbinden = neueCheckBox(Panel1, "cpPkt_Verbinden", QStringLiteral("Punkte Verbinden"));
  cbPkt_Farbe = neueCheckBox(Panel1, "cbPkt_Farbe", QStringLiteral("Punkte Farbe"));
  cbPkt_Linie = neueCheckBox(Panel1, "cbPkt_Linie", QStringLiteral("Punkt Linie"));
  optionen->addWidget(cpPkt_Verbinden, 0, 0);
  optionen->addWidget(cbPkt_Farbe, 1, 0);
  optionen->addWidget(cbPkt_Linie, 2, 0);

  auto zahlText = [](QLabel* l) {
    l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    l->setMinimumWidth(l->fontMetrics().horizontalAdvance(QStringLiteral("0,88")) + 4);
    return l;
  };
  optionen->addWidget(new QLabel(QStringLiteral("Punkt-Größe"), Panel1), 0, 2);
  lbPkt_G = zahlText(new QLabel(Panel1));
  lbPkt_G->setObjectName(QStringLiteral("lbPkt_G"));
  UpD_PktG = new AufAbSchalter(Panel1);
  UpD_PktG->setObjectName(QStringLiteral("UpD_PktG"));
  UpD_PktG->setRange(0, 15);
  UpD_PktG->setValue(2);
  auto* groesse = new QHBoxLayout;
  groesse->setSpacing(5);
  groesse->addWidget(lbPkt_G);
  groesse->addWidget(UpD_PktG);
  groesse->addStretch(1);
  optionen->addLayout(groesse, 1, 2);

  optionen->addWidget(new QLabel(QStringLiteral("Increment Y"), Panel1), 0, 3);
  lbIncY1 = zahlText(new QLabel(Panel1));
  lbIncY1->setObjectName(QStringLiteral("lbIncY1"));
  UpD_IncY1 = new AufAbSchalter(Panel1);
  UpD_IncY1->setObjectName(QStringLiteral("UpD_IncY1"));
  UpD_IncY1->setRange(1, 10);
  UpD_IncY1->setValue(1);
  auto* increment = new QHBoxLayout;
  increment->setSpacing(5);
  increment->addWidget(lbIncY1);
  increment->addWidget(UpD_IncY1);
  increment->addStretch(1);
  optionen->addLayout(increment, 1, 3);
  optionen->setColumnMinimumWidth(1, 16);
  optionen->setColumnStretch(4, 1);
  inhalt->addLayout(optionen);
  inhalt->addStretch(1);

  // ---- Buttons: a centred row, 20 pixels apart ------------------------------------------
  auto* knoepfe = new QHBoxLayout;
  knoepfe->setSpacing(20);
  sbSpeichern_als = neuerKnopf(Panel1, "sbSpeichern_als", QString(), QStringLiteral("Einstellung speichern in *.ttx"),
                               SpeichernAlsSymbol());
  sbLaden = neuerKnopf(Panel1, "sbLaden", QString(), QStringLiteral("Einstellung laden aus Datei *.ttx"),
                       LadenSymbol());
  sbLadenStand = neuerKnopf(Panel1, "sbLadenStand", QString(), QStringLiteral("Einstellung laden"),
                            LadenStandSymbol());
  sbSpeichern = neuerKnopf(Panel1, "sbSpeichern", QStringLiteral("Speichern"),
                           QStringLiteral("Einstellung speichern in EinstellungGr.txx"));
  sbExit = neuerKnopf(Panel1, "sbExit", QStringLiteral("Exit"), QStringLiteral("Fenster schließen"));
  knoepfe->addStretch(1);
  for (QPushButton* b : {sbSpeichern_als, sbLaden, sbLadenStand, sbSpeichern, sbExit}) knoepfe->addWidget(b);
  knoepfe->addStretch(1);
  inhalt->addLayout(knoepfe);

  Memo1 = new QPlainTextEdit(Panel1);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->hide();

  AnzeigenAktualisieren();
}
