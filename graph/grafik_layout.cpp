// Widgets of the function graph window.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "graph/grafik.h"
#include "graph/grafik_icons.h"
#include "platform/chart_view.h"
#include "platform/line_edit.h"
#include "platform/tool_button.h"

namespace {

QLabel* beschriftung(QWidget* eltern, const char* name, const QString& text) {
  auto* lb = new QLabel(text, eltern);
  lb->setObjectName(QString::fromLatin1(name));
  return lb;
}

QLineEdit* bereichEdit(QWidget* eltern, const char* name, const QString& text, int breite) {
  auto* ed = new QLineEdit(text, eltern);
  ed->setObjectName(QString::fromLatin1(name));
  ed->setFixedWidth(breite);
  liftTextLimit(ed);
  return ed;
}

}  // namespace

void TfrGrafik::LayoutErzeugen() {
  setObjectName(QStringLiteral("frGrafik"));
  setWindowTitle(QStringLiteral(" Grafik"));
  resize(720, 520);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);

  // ---- Tool bar ----
  ToolBar1 = new QToolBar(this);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  using GrafikSymbol::Symbol;
  tbPlus = WerkzeugKnopf(this, "tbPlus", QStringLiteral("Formel zufügen"), true,
                    GrafikSymbol::icon(Symbol::Plus));
  tbFormel = WerkzeugKnopf(this, "tbFormel", QStringLiteral("Formel"), true,
                      GrafikSymbol::icon(Symbol::Formel));
  tbSkalierung = WerkzeugKnopf(this, "tbSkalierung", QStringLiteral("Skalierung"), false,
                          GrafikSymbol::icon(Symbol::Skalierung));
  tbAutom_Skal = WerkzeugKnopf(this, "tbAutom_Skal", QStringLiteral("Automatische Skalierung"), false,
                          GrafikSymbol::icon(Symbol::Automatisch));
  tbSkal_Rund = WerkzeugKnopf(this, "tbSkal_Rund", QStringLiteral("Grenze Abrunden"), false,
                         GrafikSymbol::icon(Symbol::Runden));
  tbGitter = WerkzeugKnopf(this, "tbGitter", QStringLiteral("Gitter"), true,
                      GrafikSymbol::icon(Symbol::Gitter));
  tbLegende = WerkzeugKnopf(this, "tbLegende", QStringLiteral("Legende zeigen"), true,
                       GrafikSymbol::icon(Symbol::Legende));
  tbLog_Lin = WerkzeugKnopf(this, "tbLog_Lin", QStringLiteral("Vertikale Achse linear / logarithmisch"),
                       true, GrafikSymbol::icon(Symbol::Logarithmisch));
  tbLoeschen_1 = WerkzeugKnopf(this, "tbLoeschen_1", QStringLiteral("Löschen letzte Chart"), false,
                          GrafikSymbol::icon(Symbol::LoeschenLetzte));
  tbLoeschen = WerkzeugKnopf(this, "tbLoeschen", QStringLiteral("Löschen alles"), false,
                        GrafikSymbol::icon(Symbol::LoeschenAlles));
  tbPrint = WerkzeugKnopf(this, "tbPrint", QString(), false, GrafikSymbol::icon(Symbol::Drucken));
  tbEinstell = WerkzeugKnopf(this, "tbEinstell", QStringLiteral("Einstellung"), true,
                        GrafikSymbol::icon(Symbol::Einstellung));
  tbFormStyle = WerkzeugKnopf(this, "tbFormStyle", QStringLiteral("Fenster nach vorne verschieben"),
                         true, GrafikSymbol::icon(Symbol::Vorne));
  tbSpeichern = WerkzeugKnopf(this, "tbSpeichern", QStringLiteral("Werte speichern"), false,
                         GrafikSymbol::icon(Symbol::Speichern));
  btExit = WerkzeugKnopf(this, "btExit", QStringLiteral("Fenster schließen"), false,
                    GrafikSymbol::icon(Symbol::Schliessen));
  tbLoeschen_1->setEnabled(false);
  for (QToolButton* tb : {tbPlus, tbFormel}) ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbSkalierung, tbAutom_Skal, tbSkal_Rund, tbGitter, tbLegende, tbLog_Lin})
    ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbLoeschen_1, tbLoeschen}) ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbPrint, tbSpeichern, tbEinstell, tbFormStyle}) ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  ToolBar1->addWidget(btExit);
  haupt->addWidget(ToolBar1);

  // ---- Chart ----
  plOben = new QFrame(this);
  plOben->setObjectName(QStringLiteral("plOben"));
  plOben->setFrameShape(QFrame::StyledPanel);
  plOben->setFrameShadow(QFrame::Sunken);
  plOben->setLineWidth(1);
  auto* obenLayout = new QVBoxLayout(plOben);
  obenLayout->setContentsMargins(0, 0, 0, 0);
  Chart1 = new ChartView(plOben);
  Chart1->setObjectName(QStringLiteral("Chart1"));
  obenLayout->addWidget(Chart1);
  for (int i = 0; i < 20; ++i) {
    Serien[static_cast<size_t>(i)] = Chart1->addSeries(QStringLiteral("Series%1").arg(i + 1));
    Serien[static_cast<size_t>(i)]->setActive(false);
  }
  Series1 = Serien[0];
  Series2 = Serien[1];
  Series3 = Serien[2];
  Series4 = Serien[3];
  Series5 = Serien[4];
  Series6 = Serien[5];
  Series7 = Serien[6];
  Series8 = Serien[7];
  Series9 = Serien[8];
  Series10 = Serien[9];
  Series11 = Serien[10];
  Series12 = Serien[11];
  Series13 = Serien[12];
  Series14 = Serien[13];
  Series15 = Serien[14];
  Series16 = Serien[15];
  Series17 = Serien[16];
  Series18 = Serien[17];
  Series19 = Serien[18];
  Series20 = Serien[19];
  haupt->addWidget(plOben, 1);

  lbh = new QListWidget(this);
  lbh->setObjectName(QStringLiteral("lbh"));
  lbh->hide();

  // ---- Bottom panel ----
  plUnten = new QFrame(this);
  plUnten->setObjectName(QStringLiteral("plUnten"));
  plUnten->setFrameShape(QFrame::NoFrame);
  auto* unten = new QHBoxLayout(plUnten);
  unten->setContentsMargins(6, 3, 6, 3);
  unten->setSpacing(6);
  lbX = beschriftung(plUnten, "lbX", QStringLiteral("X = "));
  lbY = beschriftung(plUnten, "lbY", QStringLiteral("Y = "));
  lbX->setMinimumWidth(110);
  lbY->setMinimumWidth(110);
  lbXmin = beschriftung(plUnten, "lbXmin", QStringLiteral("x min ="));
  lbXmax = beschriftung(plUnten, "lbXmax", QStringLiteral("x max ="));
  lbPunkte = beschriftung(plUnten, "lbPunkte", QStringLiteral("Punktenzahl:"));
  edAb = bereichEdit(plUnten, "edAb", QStringLiteral("-5"), 80);
  edBis = bereichEdit(plUnten, "edBis", QStringLiteral("5"), 80);
  edAnzahl = bereichEdit(plUnten, "edAnzahl", QStringLiteral("100"), 60);
  tbRefresh = WerkzeugKnopf(plUnten, "tbRefresh", QStringLiteral("Neuzeichnen"), false,
                       GrafikSymbol::icon(Symbol::Neuzeichnen));
  unten->addWidget(lbX);
  unten->addWidget(lbY);
  unten->addStretch(1);
  unten->addWidget(lbXmin);
  unten->addWidget(edAb);
  unten->addSpacing(6);
  unten->addWidget(lbXmax);
  unten->addWidget(edBis);
  unten->addSpacing(6);
  unten->addWidget(lbPunkte);
  unten->addWidget(edAnzahl);
  unten->addWidget(tbRefresh);
  haupt->addWidget(plUnten);

  ProgressBar1 = new QProgressBar(this);
  ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setMaximumHeight(12);
  ProgressBar1->hide();
  haupt->addWidget(ProgressBar1);
}
