// The main window's widgets: the top area with the entry and result fields, the keypad with
// its function and number areas, and the tool bar. Sizes that depend on the window width are
// applied by LayoutAnpassen (rechn_toolbar.cpp); the handlers are wired in rechn_tasten.cpp
// and rechn_toolbar.cpp.
#include <QFont>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QRadioButton>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "calculator/dialog_bausteine.h"
#include "platform/dialog_symbole.h"
#include "calculator/rechn.h"
#include "platform/line_edit.h"
#include "platform/panel_button.h"

namespace {

constexpr int TasteBreite = 36;
constexpr int TasteHoehe = 27;
constexpr int TastenAbstand = 3;

QFrame* neuesPanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(QString::fromLatin1(name));
  panel->setAutoFillBackground(true);
  return panel;
}

PanelButton* neueTaste(QWidget* parent, const char* name, const QString& caption) {
  auto* taste = new PanelButton(caption, parent);
  taste->setObjectName(QString::fromLatin1(name));
  taste->setFixedSize(TasteBreite, TasteHoehe);
  return taste;
}

void blatt(QPainter& p, const QColor& farbe) {
  QPainterPath pfad;
  pfad.moveTo(4, 2);
  pfad.lineTo(12, 2);
  pfad.lineTo(16, 6);
  pfad.lineTo(16, 18);
  pfad.lineTo(4, 18);
  pfad.closeSubpath();
  p.setPen(QPen(QColor(90, 90, 90), 1));
  p.setBrush(farbe);
  p.drawPath(pfad);
}

QIcon iconFormel() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    blatt(p, QColor(255, 255, 235));
    DialogSymbol::Text(p, QRectF(3, 3, 14, 14), QStringLiteral("f"), QColor(0, 70, 160), 12);
  });
}

QIcon iconWerte() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 3.5, 15, 13));
    p.setBrush(QColor(200, 220, 250));
    p.drawRect(QRectF(2.5, 3.5, 15, 4));
    p.drawLine(QPointF(8.5, 3.5), QPointF(8.5, 16.5));
    p.drawLine(QPointF(2.5, 12), QPointF(17.5, 12));
    DialogSymbol::Text(p, QRectF(2, 7, 7, 6), QStringLiteral("a"), QColor(0, 70, 160), 6);
  });
}

QIcon iconWertEinf() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 6.5, 10, 11));
    p.drawLine(QPointF(7.5, 12), QPointF(17.5, 12));
    p.setPen(QPen(QColor(0, 140, 0), 2));
    p.drawLine(QPointF(2, 4), QPointF(11, 9));
    p.setBrush(QColor(0, 140, 0));
    p.setPen(Qt::NoPen);
    QPolygonF spitze;
    spitze << QPointF(13, 10.5) << QPointF(7.5, 10) << QPointF(10.5, 5.5);
    p.drawPolygon(spitze);
  });
}

QIcon iconGrafik() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(2, 10), QPointF(18, 10));
    p.drawLine(QPointF(3, 2), QPointF(3, 18));
    QPainterPath welle;
    welle.moveTo(3, 10);
    welle.cubicTo(6, 1, 8, 1, 10.5, 10);
    welle.cubicTo(13, 19, 15, 19, 18, 10);
    p.setPen(QPen(QColor(200, 0, 0), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(welle);
  });
}

QIcon iconDiagramm() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.drawLine(QPointF(2, 17), QPointF(18, 17));
    p.drawLine(QPointF(3, 2), QPointF(3, 18));
    p.setPen(QPen(QColor(0, 90, 200), 1.4));
    p.drawPolyline(QPolygonF{{QPointF(4, 15), QPointF(8, 9), QPointF(12, 12), QPointF(17, 4)}});
    p.setBrush(QColor(0, 90, 200));
    for (QPointF q : {QPointF(8, 9), QPointF(12, 12), QPointF(17, 4)}) p.drawEllipse(q, 1.5, 1.5);
  });
}

QIcon iconResults() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    blatt(p, Qt::white);
    p.setPen(QPen(QColor(120, 120, 120), 1));
    for (double y : {7.5, 10.5, 13.5}) p.drawLine(QPointF(6, y), QPointF(11, y));
    p.setPen(QPen(QColor(0, 128, 0), 1.4));
    for (double y : {7.5, 10.5, 13.5}) p.drawLine(QPointF(12, y), QPointF(14, y));
  });
}

QIcon iconCut() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(60, 60, 60), 1.5));
    p.drawLine(QPointF(5, 2), QPointF(13, 14));
    p.drawLine(QPointF(15, 2), QPointF(7, 14));
    p.setPen(QPen(QColor(190, 0, 0), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(6, 15.5), 2.6, 2.6);
    p.drawEllipse(QPointF(14, 15.5), 2.6, 2.6);
  });
}

QIcon iconEinstellung() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.translate(10, 10);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(100, 110, 130));
    for (int i = 0; i < 8; ++i) {
      p.drawRect(QRectF(-1.6, -8.5, 3.2, 4));
      p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 6, 6);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(0, 0), 2.4, 2.4);
  });
}

QIcon iconInfo() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 100, 210));
    p.drawEllipse(QPointF(10, 10), 8, 8);
    DialogSymbol::Text(p, QRectF(2, 2, 16, 16), QStringLiteral("i"), Qt::white, 12);
  });
}

QIcon iconEinheiten() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(120, 90, 20), 1));
    p.setBrush(QColor(250, 215, 110));
    p.drawRect(QRectF(1.5, 6.5, 17, 7));
    for (int i = 0; i < 8; ++i) {
      const double x = 3.5 + i * 2;
      p.drawLine(QPointF(x, 6.5), QPointF(x, i % 2 ? 9 : 10.5));
    }
  });
}

QIcon iconExit() {
  return DialogSymbol::Zeichnen([](QPainter& p) {
    p.setPen(QPen(QColor(90, 60, 40), 1));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(4.5, 2.5, 9, 15));
    p.setBrush(QColor(240, 200, 60));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(11.5, 10.5), 1, 1);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawLine(QPointF(13, 10), QPointF(19, 10));
    p.drawLine(QPointF(16.5, 7.5), QPointF(19, 10));
    p.drawLine(QPointF(16.5, 12.5), QPointF(19, 10));
  });
}

QToolButton* neuerToolButton(QToolBar* bar, const char* name, const QString& hinweis,
                             const QIcon& icon, bool umschalter) {
  auto* tb = new QToolButton(bar);
  tb->setObjectName(QString::fromLatin1(name));
  tb->setToolTip(hinweis);
  tb->setIcon(icon);
  tb->setIconSize(QSize(18, 18));
  tb->setFixedSize(24, 26);
  tb->setAutoRaise(true);
  tb->setCheckable(umschalter);
  tb->setFocusPolicy(Qt::NoFocus);
  bar->addWidget(tb);
  return tb;
}

}  // namespace

void TfrRechn::LayoutErzeugen() {
  QFont tastenSchrift(QStringLiteral("DejaVu Sans"));
  tastenSchrift.setPointSize(9);
  tastenSchrift.setBold(true);

  ScrollBox1 = ScrollBoxErzeugen(this);

  auto* inhalt = new QWidget;
  inhalt->setObjectName(QStringLiteral("ScrollBox1_Inhalt"));
  auto* inhaltLayout = new QVBoxLayout(inhalt);
  inhaltLayout->setContentsMargins(0, 0, 0, 0);
  inhaltLayout->setSpacing(0);

  // ---- Top area: entry field, result field, "Mit ESC Taste abbrechen", SR and TR --------
  plOben = neuesPanel(inhalt, "plOben");
  plOben->setFrameShape(QFrame::Panel);
  plOben->setFrameShadow(QFrame::Raised);
  auto* obenLayout = new QVBoxLayout(plOben);
  obenLayout->setContentsMargins(7, 8, 5 - plOben->frameWidth(), 7);
  obenLayout->setSpacing(6);

  ed1 = new QLineEdit(plOben);
  ed1->setObjectName(QStringLiteral("ed1"));
  liftTextLimit(ed1);
  QFont feldSchrift(QStringLiteral("DejaVu Sans"));
  feldSchrift.setPointSize(11);
  ed1->setFont(feldSchrift);
  ed1->setMinimumHeight(28);
  obenLayout->addWidget(ed1, 0, Qt::AlignLeft);

  auto* ergebnisZeile = new QHBoxLayout;
  ergebnisZeile->setSpacing(5);
  edErgebnis = new QLineEdit(plOben);
  edErgebnis->setObjectName(QStringLiteral("edErgebnis"));
  liftTextLimit(edErgebnis);
  edErgebnis->setReadOnly(true);
  edErgebnis->setFocusPolicy(Qt::ClickFocus);
  QFont ergebnisSchrift(feldSchrift);
  ergebnisSchrift.setBold(true);
  edErgebnis->setFont(ergebnisSchrift);
  edErgebnis->setMinimumHeight(28);
  ergebnisZeile->addWidget(edErgebnis);
  ergebnisZeile->addStretch(1);

  plTilgR = new PanelButton(QStringLiteral("TR"), plOben);
  plTilgR->setObjectName(QStringLiteral("plTilgR"));
  plTilgR->setToolTip(QStringLiteral("Tilgung-Rechner"));
  plTilgR->setFixedSize(20, 20);
  plSparR = new PanelButton(QStringLiteral("SR"), plOben);
  plSparR->setObjectName(QStringLiteral("plSparR"));
  plSparR->setToolTip(QStringLiteral("Sparbuch-Rechner"));
  plSparR->setFixedSize(20, 20);
  QFont kleinSchrift(QStringLiteral("DejaVu Sans"));
  kleinSchrift.setPixelSize(9);
  kleinSchrift.setBold(true);
  plTilgR->setFont(kleinSchrift);
  plSparR->setFont(kleinSchrift);
  ergebnisZeile->addWidget(plTilgR, 0, Qt::AlignVCenter);
  ergebnisZeile->addWidget(plSparR, 0, Qt::AlignVCenter);
  obenLayout->addLayout(ergebnisZeile);

  // Lies over the result field (75 pixels in): the program's name while nothing has been
  // calculated, the ESC hint while a calculation runs.
  lbESC = new QLabel(plOben);
  lbESC->setObjectName(QStringLiteral("lbESC"));
  lbESC->setAttribute(Qt::WA_TransparentForMouseEvents);
  QFont escSchrift(QStringLiteral("DejaVu Sans"));
  escSchrift.setPointSize(9);
  escSchrift.setItalic(true);
  lbESC->setFont(escSchrift);
  lbESC->setStyleSheet(QStringLiteral("color: #505050;"));
  lbESC->raise();
  inhaltLayout->addWidget(plOben);

  // ---- Keypad ---------------------------------------------------------------------------
  plTasten = neuesPanel(inhalt, "plTasten");
  inhaltLayout->addWidget(plTasten, 1);

  plFunktionen = neuesPanel(plTasten, "plFunktionen");
  plFunktionen->setFrameShape(QFrame::Panel);
  plFunktionen->setFrameShadow(QFrame::Raised);
  auto* funktionenLayout = new QVBoxLayout(plFunktionen);
  funktionenLayout->setContentsMargins(3, 3, 3, 3);
  funktionenLayout->setSpacing(TastenAbstand);

  plRG = neuesPanel(plFunktionen, "plRG");
  plRG->setFrameShape(QFrame::StyledPanel);
  plRG->setFrameShadow(QFrame::Sunken);
  auto* rgLayout = new QHBoxLayout(plRG);
  rgLayout->setContentsMargins(8, 1, 8, 1);
  rbGrad = new QRadioButton(QStringLiteral("Deg"), plRG);
  rbGrad->setObjectName(QStringLiteral("rbGrad"));
  rbGrad->setChecked(true);
  rbGrad->setFocusPolicy(Qt::NoFocus);
  rbRad = new QRadioButton(QStringLiteral("Rad"), plRG);
  rbRad->setObjectName(QStringLiteral("rbRad"));
  rbRad->setFocusPolicy(Qt::NoFocus);
  rgLayout->addStretch(1);
  rgLayout->addWidget(rbGrad);
  rgLayout->addSpacing(14);
  rgLayout->addWidget(rbRad);
  rgLayout->addStretch(1);
  plRG->setFixedHeight(TasteHoehe);
  funktionenLayout->addWidget(plRG);

  auto* funktionenGitter = new QGridLayout;
  funktionenGitter->setSpacing(TastenAbstand);
  struct Platz {
    PanelButton** taste;
    const char* name;
    QString caption;
    int zeile, spalte;
  };
  const Platz funktionsTasten[] = {
      {&pl_sin, "pl_sin", QStringLiteral("sin"), 0, 0},
      {&pl_cos, "pl_cos", QStringLiteral("cos"), 0, 1},
      {&pl_tan, "pl_tan", QStringLiteral("tan"), 0, 2},
      {&pl_ctan, "pl_ctan", QStringLiteral("ctan"), 0, 3},
      {&pl_asin, "pl_asin", QStringLiteral("asin"), 1, 0},
      {&pl_acos, "pl_acos", QStringLiteral("acos"), 1, 1},
      {&pl_atan, "pl_atan", QStringLiteral("atan"), 1, 2},
      {&im_xh2, "im_xh2", QStringLiteral("x²"), 1, 3},
      {&pl_sinh, "pl_sinh", QStringLiteral("sinh"), 2, 0},
      {&pl_cosh, "pl_cosh", QStringLiteral("cosh"), 2, 1},
      {&pl_tanh, "pl_tanh", QStringLiteral("tanh"), 2, 2},
      {&im_xs2, "im_xs2", QStringLiteral("√x"), 2, 3},
      {&pl_asinh, "pl_asinh", QStringLiteral("asinh"), 3, 0},
      {&pl_acosh, "pl_acosh", QStringLiteral("acosh"), 3, 1},
      {&pl_atanh, "pl_atanh", QStringLiteral("atanh"), 3, 2},
      {&pl_hoch, "pl_hoch", QStringLiteral("x^y"), 3, 3},
      {&pl_log, "pl_log", QStringLiteral("log"), 4, 0},
      {&pl_ln, "pl_ln", QStringLiteral("ln"), 4, 1},
      {&pl_exp, "pl_exp", QStringLiteral("exp"), 4, 2},
      {&pl_sil, "pl_sil", QStringLiteral("!"), 4, 3},
  };
  QFont funktionsSchrift(tastenSchrift);
  funktionsSchrift.setPointSize(8);
  for (const Platz& p : funktionsTasten) {
    *p.taste = neueTaste(plFunktionen, p.name, p.caption);
    (*p.taste)->setFont(funktionsSchrift);
    funktionenGitter->addWidget(*p.taste, p.zeile, p.spalte);
  }
  funktionenLayout->addLayout(funktionenGitter);
  plFunktionen->setFixedSize(plFunktionen->sizeHint());

  plZahlen = neuesPanel(plTasten, "plZahlen");
  plZahlen->setFrameShape(QFrame::Panel);
  plZahlen->setFrameShadow(QFrame::Raised);
  auto* zahlenGitter = new QGridLayout(plZahlen);
  zahlenGitter->setContentsMargins(3, 3, 3, 3);
  zahlenGitter->setSpacing(TastenAbstand);
  const Platz zahlenTasten[] = {
      {&pl_Del, "pl_Del", QStringLiteral("C"), 0, 0},
      {&pl_delL, "pl_delL", QStringLiteral("<--"), 0, 1},
      {&pl_delR, "pl_delR", QStringLiteral("-->"), 0, 2},
      {&pl_div, "pl_div", QStringLiteral("/"), 0, 3},
      {&pl_KLeft, "pl_KLeft", QStringLiteral("("), 1, 0},
      {&pl_KRecht, "pl_KRecht", QStringLiteral(")"), 1, 1},
      {&pl_pm, "pl_pm", QStringLiteral("+/-"), 1, 2},
      {&pl_mul, "pl_mul", QStringLiteral("*"), 1, 3},
      {&pl_7, "pl_7", QStringLiteral("7"), 2, 0},
      {&pl_8, "pl_8", QStringLiteral("8"), 2, 1},
      {&pl_9, "pl_9", QStringLiteral("9"), 2, 2},
      {&pl_minus, "pl_minus", QStringLiteral("-"), 2, 3},
      {&pl_4, "pl_4", QStringLiteral("4"), 3, 0},
      {&pl_5, "pl_5", QStringLiteral("5"), 3, 1},
      {&pl_6, "pl_6", QStringLiteral("6"), 3, 2},
      {&pl_plus, "pl_plus", QStringLiteral("+"), 3, 3},
      {&pl_1, "pl_1", QStringLiteral("1"), 4, 0},
      {&pl_2, "pl_2", QStringLiteral("2"), 4, 1},
      {&pl_3, "pl_3", QStringLiteral("3"), 4, 2},
      {&pl_Pi, "pl_Pi", QStringLiteral("π"), 4, 3},
      {&pl_0, "pl_0", QStringLiteral("0"), 5, 0},
      {&pl_komma, "pl_komma", QStringLiteral(","), 5, 1},
  };
  for (const Platz& p : zahlenTasten) {
    *p.taste = neueTaste(plZahlen, p.name, p.caption);
    (*p.taste)->setFont(tastenSchrift);
    zahlenGitter->addWidget(*p.taste, p.zeile, p.spalte);
  }
  sbErgebnis = new PanelButton(QStringLiteral("="), plZahlen);
  sbErgebnis->setObjectName(QStringLiteral("sbErgebnis"));
  sbErgebnis->setToolTip(QStringLiteral("Berechnen"));
  QFont gleichSchrift(tastenSchrift);
  gleichSchrift.setPointSize(11);
  sbErgebnis->setFont(gleichSchrift);
  sbErgebnis->setFixedSize(2 * TasteBreite + TastenAbstand, TasteHoehe);
  zahlenGitter->addWidget(sbErgebnis, 5, 2, 1, 2);
  plZahlen->setFixedSize(plZahlen->sizeHint());

  // plFunktionen and plZahlen are placed by LayoutAnpassen; the keypad area keeps their
  // height plus a margin.
  plTasten->setMinimumHeight(qMax(plFunktionen->height(), plZahlen->height()) + 8);
  plFunktionen->move(0, 4);
  plZahlen->move(plFunktionen->width() + 1, 4);

  // ---- Tool bar -------------------------------------------------------------------------
  plMenu = neuesPanel(inhalt, "plMenu");
  plMenu->setFrameShape(QFrame::Panel);
  plMenu->setFrameShadow(QFrame::Raised);
  auto* menuLayout = new QHBoxLayout(plMenu);
  menuLayout->setContentsMargins(0, 2, 0, 2);
  menuLayout->setSpacing(0);
  plMenu_L = neuesPanel(plMenu, "plMenu_L");
  plMenu_L->setFixedWidth(1);
  menuLayout->addWidget(plMenu_L);

  ToolBar1 = new QToolBar(plMenu);
  ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
  ToolBar1->setIconSize(QSize(18, 18));
  ToolBar1->setMovable(false);
  ToolBar1->setFloatable(false);
  // Every button has to fit into the narrowest window.
  ToolBar1->layout()->setSpacing(0);
  ToolBar1->layout()->setContentsMargins(1, 1, 1, 1);
  tbFormel = neuerToolButton(ToolBar1, "tbFormel", QStringLiteral("Formel"), iconFormel(), true);
  tbWerte = neuerToolButton(ToolBar1, "tbWerte", QStringLiteral("Werte"), iconWerte(), true);
  tbWert_Einf = neuerToolButton(ToolBar1, "tbWert_Einf",
                                QStringLiteral("Ergebnis in Werte-Tabelle einfügen"),
                                iconWertEinf(), false);
  ToolBar1->addSeparator();
  tbGrafik = neuerToolButton(ToolBar1, "tbGrafik", QStringLiteral("Grafik"), iconGrafik(), true);
  tbDiagramm = neuerToolButton(ToolBar1, "tbDiagramm", QStringLiteral("XY-Daten in Diagramm"),
                               iconDiagramm(), false);
  tbResults = neuerToolButton(ToolBar1, "tbResults", QStringLiteral("Ergebnisse zeigen"),
                              iconResults(), false);
  tbCut = neuerToolButton(ToolBar1, "tbCut", QStringLiteral("Formel durch Ergebnis ersetzen"),
                          iconCut(), true);
  tbEinheiten = neuerToolButton(ToolBar1, "tbEinheiten", QStringLiteral("Einheiten-Umrechnung"),
                                iconEinheiten(), true);
  ToolBar1->addSeparator();
  tbEinstellung = neuerToolButton(ToolBar1, "tbEinstellung", QStringLiteral("Einstellung"),
                                  iconEinstellung(), true);
  tbFormStyle = neuerToolButton(ToolBar1, "tbFormStyle",
                                QStringLiteral("Fenster nach vorne verschieben"),
                                DialogSymbol::ImVordergrund(), true);
  tbInfo = neuerToolButton(ToolBar1, "tbInfo", QStringLiteral("Info"), iconInfo(), false);
  ToolBar1->addSeparator();
  sbExit = new PanelButton(QString(), ToolBar1);
  sbExit->setObjectName(QStringLiteral("sbExit"));
  sbExit->setToolTip(QStringLiteral("Programm beenden"));
  sbExit->setIcon(iconExit());
  sbExit->setFlat(true);
  sbExit->setFixedSize(24, 26);
  ToolBar1->addWidget(sbExit);
  menuLayout->addWidget(ToolBar1);
  menuLayout->addStretch(1);
  inhaltLayout->addWidget(plMenu);

  ScrollBox1->setWidget(inhalt);

  TastenVerbinden();
  ToolBarVerbinden();
  LayoutAnpassen();
  resize(minimumWidth(), inhalt->sizeHint().height());
}
