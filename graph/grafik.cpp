#include "graph/grafik.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPrinter>
#include <QProgressBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>
#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/auswerter.h"
#include "core/berechnung.h"
#include "core/formel.h"
#include "core/globals.h"
#include "core/konstanten.h"
#include "core/routinen.h"
#include "core/tastenfilter.h"
#include "core/text.h"
#include "core/zahltext.h"
#include "graph/skal.h"
#include "platform/chart_view.h"
#include "platform/einstellungsdatei.h"
#include "platform/esc_watcher.h"
#include "platform/fenster_lage.h"
#include "platform/key_filter.h"
#include "platform/message_dialog.h"
#include "platform/print_service.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

TfrGrafik* frGrafik = nullptr;

using kolvex::FehlerCode;

namespace {

bool ZahlText(const QString& text, long double& wert) {
  return kolvex::TextZuZahlStreng(toCore(text), wert);
}

// A whole number the way the settings file reads it back: digits only (a sign allowed),
// within 32 bits.
bool GanzzahlText(const QString& text, int& wert) {
  bool ok = false;
  const qlonglong v = text.trimmed().toLongLong(&ok);
  if (!ok || v < INT_MIN || v > INT_MAX) return false;
  wert = static_cast<int>(v);
  return true;
}

// A point count that can be used: a whole number up to the limit per curve.
bool PunktAnzahl(const QString& text, int& wert) {
  return GanzzahlText(text, wert) && wert <= TfrGrafik::MaxPunkteProKurve;
}

// Digits that name more points than a curve may have (also beyond the integer range).
bool AnzahlZuGross(const QString& text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return false;
  for (QChar c : t)
    if (!c.isDigit()) return false;
  int n = 0;
  return !GanzzahlText(t, n) || n > TfrGrafik::MaxPunkteProKurve;
}

void ZuVielePunkteMelden() {
  showMessage(QStringLiteral("Zu viele Punkte: eine Kurve kann höchstens 10000000 Punkte haben."),
              MessageKind::Warning);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation and life cycle

TfrGrafik::TfrGrafik(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  VerbindungenHerstellen();
}

TfrGrafik::~TfrGrafik() {
  if (frGrafik == this) frGrafik = nullptr;
}

void TfrGrafik::VerbindungenHerstellen() {
  connect(tbPlus, &QToolButton::clicked, this, [] {});  // the pressed state is the switch
  connect(tbFormel, &QToolButton::clicked, this, &TfrGrafik::tbFormelClick);
  connect(tbSkalierung, &QToolButton::clicked, this, &TfrGrafik::tbSkalierungClick);
  connect(tbAutom_Skal, &QToolButton::clicked, this, &TfrGrafik::tbAutom_SkalClick);
  connect(tbSkal_Rund, &QToolButton::clicked, this, &TfrGrafik::tbSkal_RundClick);
  connect(tbGitter, &QToolButton::clicked, this, &TfrGrafik::tbGitterClick);
  connect(tbLegende, &QToolButton::clicked, this, &TfrGrafik::tbLegendeClick);
  connect(tbLog_Lin, &QToolButton::clicked, this, &TfrGrafik::tbLog_LinClick);
  connect(tbLoeschen_1, &QToolButton::clicked, this, &TfrGrafik::tbLoeschen_1Click);
  connect(tbLoeschen, &QToolButton::clicked, this, &TfrGrafik::tbLoeschenClick);
  connect(tbPrint, &QToolButton::clicked, this, &TfrGrafik::tbPrintClick);
  tbPrint->installEventFilter(this);  // the right button prints on press
  connect(tbEinstell, &QToolButton::clicked, this, &TfrGrafik::tbEinstellClick);
  connect(tbFormStyle, &QToolButton::clicked, this, &TfrGrafik::tbFormStyleClick);
  connect(tbSpeichern, &QToolButton::clicked, this, &TfrGrafik::tbSpeichernClick);
  connect(btExit, &QToolButton::clicked, this, [this] { close(); });
  connect(tbRefresh, &QToolButton::clicked, this, &TfrGrafik::tbRefreshClick);
  connect(Chart1, &ChartView::seriesClicked, this,
          [this](ChartSeries*, const QPoint& pos) { Chart1Klick(pos); });

  BereichEditEinrichten(edAb, edBis, &letztesAb_);
  BereichEditEinrichten(edBis, edAnzahl, &letztesBis_);
  installKeyFilter(edAnzahl, [](const std::string&, char key, int) {
    return kolvex::ZiffernTasteFiltern(key);
  });
  connect(edAnzahl, &QLineEdit::returnPressed, edAb, [this] { edAb->setFocus(); });
  connect(edAnzahl, &QLineEdit::textChanged, this, [this](const QString& t) {
    int n = 0;
    if (PunktAnzahl(t, n)) letzteAnzahl_ = t;
    if (!edAnzahl->isModified() && !AnzahlZuGross(t)) vorherAnzahl_ = t;
  });
  // A typed count beyond the limit is refused at once; the edit keeps what it held.
  connect(edAnzahl, &QLineEdit::textEdited, this, [this](const QString& t) {
    if (AnzahlZuGross(t)) {
      {
        const QSignalBlocker sperre(edAnzahl);
        edAnzahl->setText(vorherAnzahl_);
      }
      ZuVielePunkteMelden();
      return;
    }
    vorherAnzahl_ = t;
  });
}

void TfrGrafik::BereichEditEinrichten(QLineEdit* edit, QLineEdit* naechstes,
                                      QString* letzterWert) {
  installKeyFilter(edit, [](const std::string& text, char key, int) {
    return kolvex::ZahlTasteFiltern(text, key, ',');
  });
  connect(edit, &QLineEdit::returnPressed, naechstes, [naechstes] { naechstes->setFocus(); });
  // A text that stops being a number (other than "" and "-" on the way to one) is put back
  // to the one before, caret included.
  auto vorher = std::make_shared<std::pair<QString, int>>(edit->text(), edit->cursorPosition());
  connect(edit, &QLineEdit::textEdited, this, [edit, vorher](const QString& t) {
    if (!t.isEmpty() && t != QLatin1String("-") && !kolvex::IstZahl(toCore(t))) {
      const QSignalBlocker sperre(edit);
      edit->setText(vorher->first);
      edit->setCursorPosition(vorher->second);
      return;
    }
    *vorher = {t, edit->cursorPosition()};
  });
  connect(edit, &QLineEdit::textChanged, this, [edit, vorher, letzterWert](const QString& t) {
    if (!edit->isModified()) *vorher = {t, static_cast<int>(t.size())};
    long double w = 0;
    if (ZahlText(t, w)) *letzterWert = t;
  });
}

void TfrGrafik::FormCreate() {
  for (ChartSeries* s : Serien) s->setActive(false);
  const QRect bildschirm = QGuiApplication::primaryScreen()
                               ? QGuiApplication::primaryScreen()->geometry()
                               : QRect(0, 0, 1024, 768);
  QSize groesse = size();
  if (kolvex::GrafikWidth > 0 && kolvex::GrafikWidth < bildschirm.width())
    groesse.setWidth(kolvex::GrafikWidth);
  if (kolvex::GrafikHeight > 0 && kolvex::GrafikHeight < bildschirm.height())
    groesse.setHeight(kolvex::GrafikHeight);
  resize(groesse);
  // A position saved on a larger screen is pulled onto this one rather than dropped.
  FensterPlatzieren(this, QPoint(kolvex::GrafikLeft, kolvex::GrafikTop));
}

void TfrGrafik::FormActivate() {
  tbPrint->setToolTip(QStringLiteral(
      "Drucken Diagramm\nLinke Maustaste - Querformat\nRechte Maustaste - Hochformat"));
  const QString v(fromCoreChar(kolvex::GrafikVariable));
  lbXmin->setText(v + QStringLiteral(" min ="));
  lbXmax->setText(v + QStringLiteral(" max ="));
}

void TfrGrafik::FormClose(bool& accept) {
  (void)accept;
  HauptEinstellungenSpeichern();
  if (Umgebung) Umgebung->GrafikGeschlossen();
}

// ---------------------------------------------------------------------------------------------
// Plotting

void TfrGrafik::FormelZeichnen(const QString& formel) {
  if (Umgebung) {
    if (!Umgebung->FormelPruefen(formel)) return;
  } else {
    // Without the main window (tools, tests) the core's checks stand in for its own.
    const std::string f = kolvex::OhneLeerzeichen(toCore(formel));
    if (f.empty() || kolvex::SyntaxFehlerPos(f) != 0) {
      showMessage(QStringLiteral("Formel ist Falsch!"), MessageKind::Warning);
      FehlerCode = -1;
      return;
    }
  }
  StilUebernehmen();
  if (!tbPlus->isChecked()) lbh->clear();
  if (FormelVorhanden(formel)) return;
  if (tbPlus->isChecked() && lbh->count() >= 20) {
    showMessage(QStringLiteral("Maximium ") + QStringLiteral("20") + QStringLiteral(" Formeln"),
                MessageKind::Warning);
    return;
  }
  lbh->addItem(formel);
  const int n = lbh->count();
  tbLoeschen_1->setEnabled(n >= 1);
  for (ChartSeries* s : Serien) s->setActive(false);
  tbGitter->setChecked(Chart1->gridVisible(ChartAxis::Left));
  if (kolvex::GrafikVariable != ' ') {
    lbX->clear();
    lbY->clear();
    tbLegende->setChecked(true);
    Chart1->setLegendVisible(true);
    plOben->setLineWidth(2);
    KurveBerechnen(fromCoreChar(kolvex::GrafikVariable), formel);
    // KurveBerechnen has just set both axes to automatic and brought the chart up to date;
    // setting them again would make it go over every curve's points once more.
    for (const ChartAxis achse : {ChartAxis::Bottom, ChartAxis::Left})
      if (!Chart1->automatic(achse)) Chart1->setAutomatic(achse, true);
    Chart1->refresh();
  }
}

void TfrGrafik::KurveBerechnen(QChar variable, const QString& formel) {
  if (edAb->text().isEmpty()) edAb->setText(QStringLiteral("1"));
  if (edBis->text().isEmpty()) edBis->setText(QStringLiteral("10"));
  if (edAnzahl->text().isEmpty()) edAnzahl->setText(QStringLiteral("100"));
  const int n = lbh->count();
  if (n < 1 || n > 20) return;

  // An edit left as "-" (or any text that is not a number) counts with the last number it
  // held, as the settings file does.
  long double a = 0, b = 0;
  if (!ZahlText(AbText(), a)) a = kolvex::GrafikAb;
  if (!ZahlText(BisText(), b)) b = kolvex::GrafikBis;
  // A count beyond the limit (from the settings file) is refused here as well.
  if (AnzahlZuGross(edAnzahl->text())) {
    ZuVielePunkteMelden();
    edAnzahl->setText(letzteAnzahl_);
  }
  int punkte = 0;
  if (!GanzzahlText(AnzahlText(), punkte)) punkte = 100;
  // With fewer than two points the step would divide by zero.
  if (punkte < 2) {
    punkte = 2;
    edAnzahl->setText(QStringLiteral("2"));
  }
  const long double schritt = std::fabs((b - a) / static_cast<long double>(punkte - 1));

  lbX->clear();
  lbY->clear();
  ChartSeries* serie = Serien[static_cast<size_t>(n - 1)];
  serie->clear();
  // b < a gives one point only; otherwise room for all of them at once.
  serie->reserve(b < a ? 1 : punkte);
  Chart1->setLogarithmic(ChartAxis::Left, false);
  tbLog_Lin->setChecked(false);

  ProgressBar1->setMaximum(punkte);
  ProgressBar1->setValue(0);

  const QColor farbe = ChartView::colorFromValue(kolvex::GrafikFarben[static_cast<size_t>(n)]);
  kolvex::Kurvenformel kurve;
  const bool bereit = Vorbereiten(variable, formel, kurve);
  if (bereit) {
    EscWatcher::Operation esc;
    // The bar repaints itself at once on every new value, which costs more than a point;
    // moving it a few times a second looks the same.
    QElapsedTimer balkenUhr;
    balkenUhr.start();
    long double x = a - schritt;
    int i = 0;
    for (;;) {
      x += schritt;
      ++i;
      long double y = 0;
      if (kurve.Wert(x, y)) {
        const double px = static_cast<double>(x);
        const double py = static_cast<double>(y);
        // A value beyond the range of the chart's doubles cannot be drawn.
        if (std::isfinite(px) && std::isfinite(py)) {
          serie->addXY(px, py);
          serie->setColor(farbe);
        }
      }
      // Even the clock costs more than a replayed point: it is asked every 64 points. The
      // bar appears once a curve takes long enough to be watched: painting it costs more
      // than a short curve, and for a few milliseconds it could not be seen anyway.
      if (i % 64 == 0 && balkenUhr.elapsed() >= 40) {
        ProgressBar1->setValue(i);
        ProgressBar1->show();
        balkenUhr.restart();
      }
      if (EscWatcher::pressed()) break;
      if (x >= b || i >= punkte) break;
    }
  }
  ProgressBar1->hide();
  // A curve stopped by ESC, or with points left out, does not keep the room of the rest.
  serie->squeeze();
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  Chart1->setAutomatic(ChartAxis::Left, true);
  SerienAktivieren(n);
  Chart1->refresh();
}

bool TfrGrafik::Vorbereiten(QChar variable, const QString& formel, kolvex::Kurvenformel& kurve) {
  using Stand = kolvex::Kurvenformel::Stand;
  stop_ = false;
  switch (kurve.Vorbereiten(toCore(formel), toCoreChar(variable))) {
    case Stand::Bereit: return true;
    case Stand::Leer:
    case Stand::Ausnahme: return false;
    case Stand::Klammerfehler:
      showMessage(kurve.Position() == -1 ? QStringLiteral("Formel ist Falsch!\rKlammer")
                                                : QStringLiteral("Formel ist Falsch!"),
                  MessageKind::Warning);
      return false;
    case Stand::KeinWert:
      showMessage(QStringLiteral("Kein Wert für ") + fromCoreChar(kurve.Buchstabe()),
                  MessageKind::Warning);
      stop_ = true;
      return false;
  }
  return false;
}

long double TfrGrafik::FormelWert(QChar variable, const QString& formel, long double x) {
  kolvex::Kurvenformel kurve;
  long double y = 0;
  if (Vorbereiten(variable, formel, kurve)) kurve.Wert(x, y);
  return y;
}

std::string TfrGrafik::KonstantenErsetzen(const std::string& formel) {
  return kolvex::GrafikKonstantenErsetzen(formel);
}

std::string TfrGrafik::VariableErsetzen(const std::string& formel, char variable, long double x) {
  return kolvex::GrafikVariableErsetzen(formel, variable, x);
}

bool TfrGrafik::IstVariable(const std::string& text, int p, char letter) {
  return kolvex::IstGrafikVariable(text, p, letter);
}

bool TfrGrafik::FormelVorhanden(const QString& formel) const {
  for (int i = 0; i < lbh->count(); ++i)
    if (lbh->item(i)->text() == formel) return true;
  return false;
}

GrafikUmgebung::KurvenStil GrafikUmgebung::KurvenStil::Geladen(int n) {
  const size_t k = static_cast<size_t>(n);
  return {fromCore(kolvex::PunktArten[k]), fromCore(kolvex::LinienArten[k]), fromCore(kolvex::Staerken[k]),
          kolvex::PunkteFarbe, kolvex::PunktLinie, kolvex::PunkteVerbinden, kolvex::PunktGroesse};
}

void TfrGrafik::StilUebernehmen() {
  for (int i = 1; i <= 10; ++i) {
    ChartSeries* s = Serien[static_cast<size_t>(i - 1)];
    const size_t k = static_cast<size_t>(i);
    const QColor farbe = ChartView::colorFromValue(kolvex::GrafikFarben[k]);
    // Without the settings dialog (tools, tests) the loaded settings stand in for it.
    const GrafikUmgebung::KurvenStil stil = Umgebung ? Umgebung->Stil(i) : GrafikUmgebung::KurvenStil::Geladen(i);
    const QString& punkt = stil.punkt;
    const QString& linie = stil.linie;
    const QString& staerke = stil.staerke;
    const bool fuellen = stil.fuellen;
    const bool umriss = stil.umriss;
    const int groesse = stil.groesse;
    const bool verbinden = stil.verbinden;

    s->setPointerStyle(ChartSeries::pointerStyleFromName(punkt));
    s->setPointerBrush(fuellen ? farbe : QColor(Qt::white));
    s->setPointerPen(umriss ? farbe : QColor(Qt::black));
    if (groesse > 0) {
      s->setPointerVisible(true);
      s->setPointerSize(groesse);
    } else {
      s->setPointerVisible(false);
    }
    s->setLineVisible(verbinden);
    s->setLineStyle(ChartSeries::penStyleFromName(linie));
    int breite = 0;
    if (!GanzzahlText(staerke, breite)) return;  // the steps done stay
    s->setLineWidth(breite);
  }
}

void TfrGrafik::SerienAktivieren(int anzahl) {
  for (ChartSeries* s : Serien) s->setActive(false);
  LegendeAktualisieren();
  for (int i = 0; i < anzahl && i < 20; ++i) Serien[static_cast<size_t>(i)]->setActive(true);
}

void TfrGrafik::LegendeAktualisieren() {
  for (int i = 0; i < 20; ++i) {
    ChartSeries* s = Serien[static_cast<size_t>(i)];
    s->setTitle(i < lbh->count() ? lbh->item(i)->text() : QString());
  }
}

// ---------------------------------------------------------------------------------------------
// Window commands

void TfrGrafik::WerteAnzeigen(long double x, long double y) {
  auto text = [this](long double v) {
    if (kolvex::Genauigkeit == 0) return fromCore(kolvex::ZahlZuText(0, std::nearbyint(v)));
    const bool exponent = Umgebung ? Umgebung->ExponentAnzeige() : kolvex::ExponentAnzeige;
    if (exponent) return fromCore(kolvex::FloatText(v));
    return fromCore(kolvex::ZahlZuText(kolvex::Genauigkeit, v));
  };
  lbX->setText(QStringLiteral("X = ") + text(x));
  lbY->setText(QStringLiteral("Y = ") + text(y));
}

void TfrGrafik::AllesLoeschen() {
  for (ChartSeries* s : Serien) {
    s->clear();
    s->setActive(false);
  }
  Chart1->refresh();
  tbLoeschen_1->setEnabled(false);
  lbh->clear();
}

long double TfrGrafik::GrenzeRunden(QChar seite, long double wert) {
  (void)seite;  // minimum and maximum round alike
  return std::nearbyint(wert);
}

void TfrGrafik::LogPruefen() {
  const double min = Chart1->minimum(ChartAxis::Left);
  const double max = Chart1->maximum(ChartAxis::Left);
  if (min >= 0 && max >= 0) {
    Chart1->setLogarithmic(ChartAxis::Left, tbLog_Lin->isChecked());
  } else {
    tbLog_Lin->setChecked(false);
    showMessage(QStringLiteral("Minimum- und Maximumwerte der logarithmischen Achse müssen >= 0 sein"),
                MessageKind::Warning);
  }
  Chart1->refresh();
}

void TfrGrafik::Drucken() {
  QString fehler;
  bool ok = true;
  if (!DruckHochformat) {
    // The chart paints itself onto the printer: sharp lines and text at any resolution,
    // and a small file when the printer is a PDF.
    ok = PrintService::printDrawing(
        QPageLayout::Landscape, 5, this,
        [this](QPrinter& drucker, const QRectF& flaeche) { return Chart1->renderTo(&drucker, flaeche); },
        &fehler);
  } else {
    plUnten->hide();
    ToolBar1->hide();
    const int rahmen = plOben->lineWidth();
    const QFrame::Shape form = plOben->frameShape();
    plOben->setFrameShape(QFrame::NoFrame);
    Chart1->setFrameVisible(false);
    if (layout()) layout()->activate();
    Chart1->replotNow();
    ok = PrintService::printWidget(this, QPageLayout::Portrait, 0, this, &fehler);
    plOben->setFrameShape(form);
    plOben->setLineWidth(rahmen);
    ToolBar1->show();
    plUnten->show();
    if (layout()) layout()->activate();
    Chart1->replotNow();
  }
  if (!ok && !fehler.isEmpty()) showMessage(fehler, MessageKind::Warning);
}

void TfrGrafik::tbPrintClick() {
  DruckHochformat = false;
  Drucken();
}

void TfrGrafik::tbPrintRechtsDruck() {
  DruckHochformat = true;
  Drucken();
}

bool TfrGrafik::WerteSpeichern(const QString& datei) {
  const QString trenner =
      kolvex::DateiEndungGross(datei.toStdString()) == ".TXT" ? QStringLiteral("\t")
                                                                : QStringLiteral(";");
  const int kurven = std::min(lbh->count(), 20);
  QStringList zeilen;
  QString kopf = QStringLiteral("X");
  for (int k = 0; k < kurven; ++k) kopf += trenner + lbh->item(k)->text();
  zeilen << kopf;

  // Curves are matched by X, not by point index: a curve that skipped a point (1/x at 0)
  // must not have its later values written against the wrong X.
  std::vector<std::unordered_map<double, int>> nachX(static_cast<size_t>(kurven));
  for (int k = 1; k < kurven; ++k) {
    const ChartSeries* s = Serien[static_cast<size_t>(k)];
    auto& karte = nachX[static_cast<size_t>(k)];
    karte.reserve(static_cast<size_t>(s->count()));
    for (int j = 0; j < s->count(); ++j) karte.emplace(s->xValue(j), j);  // first one wins
  }
  const ChartSeries* erste = Series1;
  for (int j = 0; kurven > 0 && j < erste->count(); ++j) {
    const double x = erste->xValue(j);
    QString zeile = fromCore(kolvex::FloatText(x));
    zeile += trenner + fromCore(kolvex::FloatText(erste->yValue(j)));
    for (int k = 1; k < kurven; ++k) {
      zeile += trenner;
      const auto& karte = nachX[static_cast<size_t>(k)];
      const auto treffer = karte.find(x);
      if (treffer != karte.end())
        zeile += fromCore(kolvex::FloatText(Serien[static_cast<size_t>(k)]->yValue(treffer->second)));
    }
    zeilen << zeile;
  }
  QString fehler;
  if (!writeTextLines(datei, zeilen, &fehler)) {
    // The system's text alone ("Permission denied") would not say which file failed.
    showMessage(saveFailedText(datei, fehler), MessageKind::Warning);
    return false;
  }
  return true;
}

void TfrGrafik::tbSpeichernClick() {
  if (lbh->count() == 0) {
    showMessage(QStringLiteral("Keine Werte"), MessageKind::Warning);
    return;
  }
  QString datei;
  if (SpeichernDialogTestHook) {
    datei = SpeichernDialogTestHook();
  } else {
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters({QStringLiteral("Excel-Datei (*.csv)"), QStringLiteral("Text-Datei (*.txt)")});
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
      dialog.setDefaultSuffix(filter.contains(QLatin1String("*.txt")) ? QStringLiteral("txt")
                                                                      : QStringLiteral("csv"));
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      datei = dialog.selectedFiles().constFirst();
  }
  if (datei.isEmpty()) return;
  WerteSpeichern(datei);
}

void TfrGrafik::tbRefreshClick() {
  QStringList formeln;
  for (int i = 0; i < lbh->count(); ++i) formeln << lbh->item(i)->text();
  AllesLoeschen();
  for (const QString& f : formeln) FormelZeichnen(f);
}

void TfrGrafik::tbLoeschenClick() {
  if (showMessage(QStringLiteral("Alle Charts löschen?"), MessageKind::Warning,
                  MessageButtons::YesNo) == MessageAnswer::Yes)
    AllesLoeschen();
}

void TfrGrafik::tbLoeschen_1Click() {
  const int n = lbh->count();
  if (n > 1) {
    delete lbh->takeItem(n - 1);
    ChartSeries* s = Serien[static_cast<size_t>(n - 1)];
    s->setActive(false);
    s->clear();
    Chart1->refresh();
  } else {
    AllesLoeschen();
  }
}

void TfrGrafik::tbSkalierungClick() {
  if (!frSkal) return;
  auto zelle = [](double v) { return fromCore(kolvex::ZahlZuText(0, v)); };
  frSkal->sgSkal->setCells(1, 1, zelle(Chart1->minimum(ChartAxis::Left)));
  frSkal->sgSkal->setCells(1, 2, zelle(Chart1->maximum(ChartAxis::Left)));
  frSkal->sgSkal->setCells(2, 1, zelle(Chart1->minimum(ChartAxis::Bottom)));
  frSkal->sgSkal->setCells(2, 2, zelle(Chart1->maximum(ChartAxis::Bottom)));
  frSkal->ShowModal();

  // Whichever way the dialog closed; a cell that is not a number ends here, the axis
  // already set stays.
  for (const auto& [spalte, achse] : {std::pair{1, ChartAxis::Left}, std::pair{2, ChartAxis::Bottom}}) {
    long double min = Chart1->minimum(achse);
    long double max = Chart1->maximum(achse);
    const QString tMin = frSkal->sgSkal->Cells(spalte, 1);
    const QString tMax = frSkal->sgSkal->Cells(spalte, 2);
    if (!tMin.isEmpty() && !ZahlText(tMin, min)) break;
    if (!tMax.isEmpty() && !ZahlText(tMax, max)) break;
    if (min < max) Chart1->setMinMax(achse, static_cast<double>(min), static_cast<double>(max));
  }
  Chart1->refresh();
}

void TfrGrafik::tbSkal_RundClick() {
  for (ChartAxis achse : {ChartAxis::Left, ChartAxis::Bottom}) {
    Chart1->setAutomatic(achse, true);
    const long double min = GrenzeRunden('-', Chart1->minimum(achse));
    const long double max = GrenzeRunden('+', Chart1->maximum(achse));
    Chart1->setMinMax(achse, static_cast<double>(min), static_cast<double>(max));
  }
  Chart1->refresh();
}

void TfrGrafik::tbAutom_SkalClick() {
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  Chart1->setAutomatic(ChartAxis::Left, true);
  Chart1->refresh();
}

void TfrGrafik::tbGitterClick() {
  Chart1->setGridVisible(ChartAxis::Bottom, tbGitter->isChecked());
  Chart1->setGridVisible(ChartAxis::Left, tbGitter->isChecked());
  Chart1->refresh();
}

void TfrGrafik::tbLegendeClick() {
  Chart1->setLegendVisible(tbLegende->isChecked());
  Chart1->refresh();
}

void TfrGrafik::tbLog_LinClick() { LogPruefen(); }

void TfrGrafik::tbFormelClick() {
  if (Umgebung) Umgebung->FormelListeZeigen(tbFormel->isChecked());
}

void TfrGrafik::tbEinstellClick() {
  if (Umgebung) Umgebung->EinstellungZeigen(tbEinstell->isChecked());
}

void TfrGrafik::tbFormStyleClick() { FensterObenHalten(this, tbFormStyle->isChecked()); }

void TfrGrafik::Chart1Klick(const QPoint& pos) {
  const long double x = Chart1->valueAt(ChartAxis::Bottom, pos.x());
  const long double y = Chart1->valueAt(ChartAxis::Left, pos.y());
  if (!(std::fabs(x) <= 1E255L) || !(std::fabs(y) <= 1E255L)) {
    lbX->setText(QStringLiteral("X = "));
    lbY->setText(QStringLiteral("Y = "));
    KlickX = 0;
    KlickY = 0;
    return;
  }
  KlickX = x;
  KlickY = y;
  WerteAnzeigen(x, y);
}

QString TfrGrafik::AbText() const {
  long double w = 0;
  return ZahlText(edAb->text(), w) ? edAb->text() : letztesAb_;
}

QString TfrGrafik::BisText() const {
  long double w = 0;
  return ZahlText(edBis->text(), w) ? edBis->text() : letztesBis_;
}

QString TfrGrafik::AnzahlText() const {
  int n = 0;
  return PunktAnzahl(edAnzahl->text(), n) ? edAnzahl->text() : letzteAnzahl_;
}

bool TfrGrafik::eventFilter(QObject* watched, QEvent* event) {
  if (watched == tbPrint && event->type() == QEvent::MouseButtonPress &&
      static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
    tbPrintRechtsDruck();
    return true;
  }
  return Form::eventFilter(watched, event);
}
