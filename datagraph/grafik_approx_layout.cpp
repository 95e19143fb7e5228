// Widgets of the data graph window.
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "graph/grafik_icons.h"
#include "platform/string_grid.h"
#include "platform/tool_button.h"

namespace {

template <typename T>
T* benannt(T* w, const char* name) {
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLabel* beschriftung(QWidget* eltern, const char* name, const QString& text) {
  return benannt(new QLabel(text, eltern), name);
}

QPushButton* knopf(QWidget* eltern, const char* name, const QString& text, const QString& hinweis) {
  auto* b = benannt(new QPushButton(text, eltern), name);
  b->setToolTip(hinweis);
  b->setAutoDefault(false);
  return b;
}

}  // namespace

void TfrGrafikApprox::LayoutErzeugen() {
  setObjectName(QStringLiteral("frGrafikApprox"));
  setWindowTitle(QStringLiteral(" XY-Daten im Diagramm"));
  resize(1100, 750);

  auto* haupt = new QVBoxLayout(this);
  haupt->setContentsMargins(0, 0, 0, 0);
  haupt->setSpacing(0);
  plSeiten = benannt(new QStackedWidget(this), "plSeiten");
  haupt->addWidget(plSeiten, 1);

  // ================= Graph page =================
  plChart = benannt(new QFrame(plSeiten), "plChart");
  auto* chartLayout = new QVBoxLayout(plChart);
  chartLayout->setContentsMargins(0, 0, 0, 0);
  chartLayout->setSpacing(0);

  ToolBar1 = benannt(new QToolBar(plChart), "ToolBar1");
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  ToolBar1->setIconSize(QSize(20, 20));
  using GrafikSymbol::Symbol;
  tbPlus = WerkzeugKnopf(plChart, "tbPlus", QStringLiteral("Zurück zur Tabelle"), false,
                    GrafikSymbol::icon(Symbol::Plus));
  tbInterpolation = WerkzeugKnopf(plChart, "tbInterpolation", QStringLiteral("Appromaximation"), true,
                             GrafikSymbol::icon(Symbol::Approximation));
  tbEinstellung = WerkzeugKnopf(plChart, "tbEinstellung", QStringLiteral("Einstellung"), false,
                           GrafikSymbol::icon(Symbol::Einstellung));
  tbSkalierung = WerkzeugKnopf(plChart, "tbSkalierung", QStringLiteral("Skalierung"), false,
                          GrafikSymbol::icon(Symbol::Skalierung));
  tbAutom_Skal = WerkzeugKnopf(plChart, "tbAutom_Skal", QStringLiteral("Automatische Skalierung"), false,
                          GrafikSymbol::icon(Symbol::Automatisch));
  tbSkal_speich = WerkzeugKnopf(plChart, "tbSkal_speich", QStringLiteral("Gespeicherte Skalierung"),
                           false, GrafikSymbol::icon(Symbol::SkalierungSpeichern));
  tbSkal_Rund = WerkzeugKnopf(plChart, "tbSkal_Rund", QStringLiteral("Grenze Abrunden"), false,
                         GrafikSymbol::icon(Symbol::Runden));
  tbGitter = WerkzeugKnopf(plChart, "tbGitter", QStringLiteral("Gitter"), true,
                      GrafikSymbol::icon(Symbol::Gitter));
  tbGitter->setChecked(true);
  tbLegende = WerkzeugKnopf(plChart, "tbLegende", QStringLiteral("Legende zeigen"), true,
                       GrafikSymbol::icon(Symbol::Legende));
  cbMoment = benannt(new QCheckBox(QStringLiteral("Kurve beschreiben"), plChart), "cbMoment");
  cbMoment->setChecked(true);
  cbMoment->setFocusPolicy(Qt::NoFocus);
  tbTitel = WerkzeugKnopf(plChart, "tbTitel", QStringLiteral("Titel zeigen"), true,
                     GrafikSymbol::icon(Symbol::Titel));
  tbTitel->setChecked(true);
  tbLoeschenL = WerkzeugKnopf(plChart, "tbLoeschenL", QStringLiteral("Löschen letzte"), false,
                         GrafikSymbol::icon(Symbol::LoeschenLetzte));
  tbLoeschen = WerkzeugKnopf(plChart, "tbLoeschen", QStringLiteral("Alles löschen"), false,
                        GrafikSymbol::icon(Symbol::LoeschenAlles));
  tbSpeichern = WerkzeugKnopf(plChart, "tbSpeichern", QStringLiteral("Werte speichern"), false,
                         GrafikSymbol::icon(Symbol::Speichern));
  btExit = WerkzeugKnopf(plChart, "btExit", QStringLiteral("Fenster schließen"), false,
                    GrafikSymbol::icon(Symbol::Schliessen));
  lbX = beschriftung(plChart, "lbX", QString());
  lbY = beschriftung(plChart, "lbY", QString());
  lbX->setMinimumWidth(110);
  lbY->setMinimumWidth(110);

  ToolBar1->addWidget(tbPlus);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbInterpolation, tbEinstellung}) ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbSkalierung, tbAutom_Skal, tbSkal_speich, tbSkal_Rund, tbGitter, tbLegende})
    ToolBar1->addWidget(tb);
  ToolBar1->addWidget(cbMoment);
  ToolBar1->addWidget(tbTitel);
  ToolBar1->addSeparator();
  for (QToolButton* tb : {tbLoeschenL, tbLoeschen, tbSpeichern}) ToolBar1->addWidget(tb);
  ToolBar1->addSeparator();
  ToolBar1->addWidget(btExit);
  ToolBar1->addSeparator();
  ToolBar1->addWidget(lbX);
  ToolBar1->addWidget(lbY);
  chartLayout->addWidget(ToolBar1);

  Chart1 = benannt(new ChartView(plChart), "Chart1");
  Chart1->setFrameVisible(false);
  for (int i = 0; i < 20; ++i) {
    Serien[static_cast<size_t>(i)] = Chart1->addSeries(QStringLiteral("Series%1").arg(i + 1));
    Serien[static_cast<size_t>(i)]->setActive(false);
  }
  Series1 = Serien[0];
  chartLayout->addWidget(Chart1, 1);
  // Axis captions inside the chart, placed by BeschriftungPlatzieren.
  lbDX = beschriftung(Chart1, "lbDX", QString());
  lbDY = beschriftung(Chart1, "lbDY", QString());
  for (QLabel* lb : {lbDX, lbDY}) {
    QFont f = lb->font();
    f.setBold(true);
    lb->setFont(f);
    lb->setAttribute(Qt::WA_TransparentForMouseEvents);
    lb->setAutoFillBackground(false);
  }

  ListBox1 = benannt(new QListWidget(plChart), "ListBox1");
  ListBox1->hide();
  lbFarben = benannt(new QListWidget(plChart), "lbFarben");
  lbFarben->hide();

  plLinie = benannt(new QFrame(plChart), "plLinie");
  plLinie->setFrameShape(QFrame::HLine);
  plLinie->setFrameShadow(QFrame::Sunken);
  chartLayout->addWidget(plLinie);

  // Title block: logo, curve list, three text lines and the date.
  plUnten = benannt(new QFrame(plChart), "plUnten");
  plUnten->setAutoFillBackground(true);
  QPalette weiss = plUnten->palette();
  weiss.setColor(QPalette::Window, Qt::white);
  plUnten->setPalette(weiss);
  auto* unten = new QHBoxLayout(plUnten);
  unten->setContentsMargins(4, 0, 4, 0);
  unten->setSpacing(4);
  Image1 = benannt(new QLabel(plUnten), "Image1");
  Image1->setToolTip(QStringLiteral("Bild laden"));
  Image1->setAlignment(Qt::AlignCenter);
  Image1->setCursor(Qt::PointingHandCursor);
  Image1->installEventFilter(this);
  Shape2 = benannt(new QFrame(plUnten), "Shape2");
  Shape2->setFrameShape(QFrame::VLine);
  Shape2->setFrameShadow(QFrame::Plain);
  RichEdit1 = benannt(new QTextEdit(plUnten), "RichEdit1");
  RichEdit1->setReadOnly(true);
  RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
  RichEdit1->setFrameShape(QFrame::NoFrame);
  RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  RichEdit1->document()->setDocumentMargin(2);
  auto* texte = new QWidget(plUnten);
  auto* texteLayout = new QVBoxLayout(texte);
  texteLayout->setContentsMargins(0, 4, 0, 4);
  texteLayout->setSpacing(2);
  auto textZeile = [&](const char* name) {
    auto* ed = benannt(new QLineEdit(texte), name);
    ed->setFrame(false);
    ed->setMinimumWidth(220);
    texteLayout->addWidget(ed);
    return ed;
  };
  edText1 = textZeile("edText1");
  edText2 = textZeile("edText2");
  edText3 = textZeile("edText3");
  edDatum = textZeile("edDatum");
  QFont fett = edText1->font();
  fett.setBold(true);
  edText1->setFont(fett);
  unten->addWidget(Image1);
  unten->addWidget(Shape2);
  unten->addWidget(RichEdit1, 1);
  unten->addWidget(texte);
  chartLayout->addWidget(plUnten);
  plSeiten->addWidget(plChart);

  // ================= Table page =================
  plTabelle = benannt(new QFrame(plSeiten), "plTabelle");
  auto* tabelle = new QVBoxLayout(plTabelle);
  tabelle->setContentsMargins(4, 4, 4, 4);
  tabelle->setSpacing(4);
  plAOben = benannt(new QFrame(plTabelle), "plAOben");
  auto* oben = new QVBoxLayout(plAOben);
  oben->setContentsMargins(0, 0, 0, 0);
  oben->setSpacing(4);
  auto* zeile1 = new QHBoxLayout;
  zeile1->setSpacing(6);
  cbXKanal = benannt(new KanalBox(plAOben), "cbXKanal");
  cbYKanal = benannt(new KanalBox(plAOben), "cbYKanal");
  for (QComboBox* cb : {cbXKanal, cbYKanal}) {
    cb->setMinimumWidth(170);
    cb->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    cb->setMinimumContentsLength(18);
  }
  cbFarbe = benannt(new QComboBox(plAOben), "cbFarbe");
  cbFarbe->setToolTip(QStringLiteral("Farbe der nächsten Kurve"));
  cbFarbe->setIconSize(QSize(44, 14));
  cbFarbe->setMinimumWidth(80);
  sbGrafik = knopf(plAOben, "sbGrafik", QStringLiteral("Diagramm"),
                   QStringLiteral("Kurve ins Diagramm"));
  sbLaden = knopf(plAOben, "sbLaden", QStringLiteral("Datei laden"), QStringLiteral("Datei laden"));
  sbLoeschen = knopf(plAOben, "sbLoeschen", QStringLiteral("Löschen"),
                     QStringLiteral("Diagramm löschen"));
  lbAbZeile = beschriftung(plAOben, "lbAbZeile", QStringLiteral("Ab Zeile Nr."));
  edAbZeile = benannt(new QLineEdit(QStringLiteral("1"), plAOben), "edAbZeile");
  edAbZeile->setFixedWidth(60);
  sbAbZeile = knopf(plAOben, "sbAbZeile", QStringLiteral("Neu"), QStringLiteral("Neuladen ab Zeile Nr. 1"));
  sbAbZeile->installEventFilter(this);
  cbKommentar = benannt(new QCheckBox(QStringLiteral("Kommentar"), plAOben), "cbKommentar");
  zeile1->addWidget(beschriftung(plAOben, "lbXKanal", QStringLiteral("X-Kanal:")));
  zeile1->addWidget(cbXKanal);
  zeile1->addSpacing(8);
  zeile1->addWidget(beschriftung(plAOben, "lbYKanal", QStringLiteral("Y-Kanal:")));
  zeile1->addWidget(cbYKanal);
  zeile1->addSpacing(8);
  zeile1->addWidget(cbFarbe);
  zeile1->addWidget(sbGrafik);
  zeile1->addSpacing(16);
  zeile1->addWidget(sbLaden);
  zeile1->addWidget(sbLoeschen);
  zeile1->addStretch(1);
  zeile1->addWidget(lbAbZeile);
  zeile1->addWidget(edAbZeile);
  zeile1->addWidget(sbAbZeile);
  zeile1->addSpacing(8);
  zeile1->addWidget(cbKommentar);
  oben->addLayout(zeile1);
  auto* zeile2 = new QHBoxLayout;
  lbTitel = beschriftung(plAOben, "lbTitel", QStringLiteral("Datei:"));
  lbFName = beschriftung(plAOben, "lbFName", QString());
  lbFName->setTextInteractionFlags(Qt::TextSelectableByMouse);
  zeile2->addWidget(lbTitel);
  zeile2->addWidget(lbFName, 1);
  oben->addLayout(zeile2);
  tabelle->addWidget(plAOben);

  plGitter = benannt(new QSplitter(Qt::Horizontal, plTabelle), "plGitter");
  sg1 = benannt(new ValueGrid(plGitter), "sg1");
  sgK = benannt(new StringGrid(plGitter), "sgK");
  plGitter->addWidget(sg1);
  plGitter->addWidget(sgK);
  plGitter->setStretchFactor(0, 3);
  plGitter->setStretchFactor(1, 1);
  Splitter1 = plGitter->handle(1);
  Splitter1->setObjectName(QStringLiteral("Splitter1"));
  sgK->hide();
  tabelle->addWidget(plGitter, 1);
  plSeiten->addWidget(plTabelle);
  plSeiten->setCurrentWidget(plTabelle);

  // ================= Progress =================
  plAbbruch = benannt(new QFrame(this), "plAbbruch");
  auto* abbruch = new QHBoxLayout(plAbbruch);
  abbruch->setContentsMargins(6, 2, 6, 2);
  abbruch->addWidget(beschriftung(plAbbruch, "lbAbbruch", QStringLiteral("Mit ESC-Taste Abbruch")));
  ProgressBar1 = benannt(new QProgressBar(plAbbruch), "ProgressBar1");
  ProgressBar1->setTextVisible(false);
  ProgressBar1->setMaximumHeight(14);
  abbruch->addWidget(ProgressBar1, 1);
  plAbbruch->hide();
  haupt->addWidget(plAbbruch);
}
