// Data graph window: adding curves, the title block, and the display of the chart
// (scaling, grid, legend, curve labels, click read-out).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "core/globals.h"
#include "core/zahltext.h"
#include "datagraph/diagramme.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "graph/skal.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/image_io.h"
#include "platform/bgr_color.h"
#include "platform/einstellungsdatei.h"
#include "platform/esc_watcher.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/wait_cursor.h"

namespace {

constexpr double kKeinPunkt = -99999;
// A curve label starts this many pixels right of the plot.
constexpr int kBeschriftungAbstand = 8;
// The length of the Y channel's name, kept with each curve's entry in ListBox1.
constexpr int kYLaenge = Qt::UserRole;

// Rounds halves to the even neighbour (the processor's default mode).
double Runden(double v) { return std::nearbyint(v); }
// From 2^52 on a double is a whole number, and a hundred times the largest is infinite.
double AufZweiStellen(double v) { return std::fabs(v) >= 0x1p52 ? v : std::nearbyint(v * 100) / 100; }

QString ZahlText(double v) { return fromCore(kolvex::FloatText(v)); }

// A stored text as a number; false when it is empty or not a number.
bool TextWert(const std::string& text, double& wert) {
  long double v = 0;
  if (!kolvex::TextZuZahlStreng(toCore(QString::fromStdString(text)), v) || v == kolvex::KeineZahl)
    return false;
  const double d = static_cast<double>(v);
  if (!std::isfinite(d)) return false;
  wert = d;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pure rules

QString TfrGrafikApprox::KurvenTeil(const QString& bezeichnung) {
  const qsizetype p = bezeichnung.indexOf(QStringLiteral("  "));
  return p < 0 ? bezeichnung : bezeichnung.mid(p + 2);
}

int TfrGrafikApprox::RandWert(const QStringList& bezeichnungen, bool legende, bool beschriften) {
  if (legende || !beschriften) return 2;
  qsizetype laengste = 0;
  for (const QString& b : bezeichnungen) laengste = std::max(laengste, KurvenTeil(b).size());
  return static_cast<int>(Runden(0.65 * static_cast<double>(laengste)));
}

int TfrGrafikApprox::RandPixel(int wert, int chartBreite, int beschriftungBreite) {
  int pixel = static_cast<int>(Runden(wert * chartBreite / 100.0));
  if (beschriftungBreite > 0) pixel = std::max(pixel, kBeschriftungAbstand + beschriftungBreite + 4);
  // The labels get at most 3/10 of the chart's width, so that the plot keeps most of it
  // however long a channel name is; a label longer than the margin is cut short with "…"
  // at the chart's edge (ChartView draws it so), its beginning stays readable.
  pixel = std::min(pixel, chartBreite * 3 / 10);
  return std::max(pixel, 12);
}

int TfrGrafikApprox::TitelHoehe(int zeilen) {
  return std::max(82, static_cast<int>(Runden(zeilen * 14.5)));
}

QPoint TfrGrafikApprox::WertZuPixelIn(const ChartRect& r, double xmin, double xmax, double ymin,
                                      double ymax, double x, double y) {
  // The chart's overlay places the fitted curves by the same rule when it paints them.
  return chartValueToPixel(r, xmin, xmax, ymin, ymax, x, y);
}

std::pair<double, double> TfrGrafikApprox::LinksGerundet(double min, double max) {
  return {Runden(min - 0.5), Runden(max + 0.5)};
}

std::pair<double, double> TfrGrafikApprox::UntenGerundet(double min, double max) {
  // Next to the largest double the hundreds round beyond it; the limit stays then.
  auto endlich = [](double gerundet, double v) { return std::isfinite(gerundet) ? gerundet : v; };
  return {endlich(Runden(min / 100 - 0.5) * 100, min), endlich(Runden(max / 100 + 0.5) * 100, max)};
}

// ---------------------------------------------------------------------------------------------
// Curves

QString TfrGrafikApprox::KurvenBezeichnung() const {
  const QString datei = QFileInfo(OpenDialog1.FileName).fileName();
  const qsizetype punkt = datei.lastIndexOf(QLatin1Char('.'));
  return (punkt < 0 ? datei : datei.left(punkt)) + QStringLiteral("   ") +
         cbXKanal->currentText() + QStringLiteral(" : ") + cbYKanal->currentText();
}

void TfrGrafikApprox::sbGrafikClick() {
  const QString xText = cbXKanal->currentText();
  const QString yText = cbYKanal->currentText();
  if (xText.isEmpty() || yText.isEmpty()) {
    showMessage(QStringLiteral("Keine Daten"), MessageKind::Warning);
    return;
  }
  const QString bezeichnung = KurvenBezeichnung();
  kolvex::KanalX = xText.toStdString();
  kolvex::KanalY = yText.toStdString();
  lbDX->setText(xText);
  lbDY->setText(yText);
  lbDX->adjustSize();
  lbDY->adjustSize();

  GrafikZeigen(true);
  repaint();
  WaitCursor sanduhr(Chart1);

  if (Kurven() >= 20) {
    showMessage(QStringLiteral("Maximium ") + QStringLiteral("20") + QStringLiteral(" Formeln"),
                MessageKind::Warning);
    ApproximationZeichnen();
    return;
  }
  if (!ListBox1->findItems(bezeichnung, Qt::MatchExactly).isEmpty()) {
    showMessage(bezeichnung + QStringLiteral(" ist schon vorhanden"), MessageKind::Warning);
    ApproximationZeichnen();
    return;
  }
  HauptEinstellungenSpeichern();
  KurveEinlesen();
  Chart1->setLegendVisible(tbLegende->isChecked());
  RandSetzen();
  if (frEinstellung_Grafik) frEinstellung_Grafik->EinstellungUebernehmen();
  ApproximationZeichnen();
  BeschriftungPlatzieren();
  KurvenListeSchreiben();
}

void TfrGrafikApprox::KurveEinlesen() {
  const int s = Kurven() + 1;
  if (s < 1 || s > 20) return;
  const auto si = static_cast<size_t>(s);
  kolvex::KurvenNummer = s;
  kolvex::FarbNummer = std::clamp(cbFarbe->currentIndex() + 1, 1, 20);
  lbX->clear();
  lbY->clear();
  Chart1->setLogarithmic(ChartAxis::Left, false);

  const int xSpalte = cbXKanal->currentIndex();
  const int ySpalte = cbYKanal->currentIndex();
  const ValueTable& t = sg1->table();
  const int zeilen = t.rowCount();
  ProgressBar1->setMaximum(std::max(1, zeilen - 1));
  ProgressBar1->setValue(0);
  plAbbruch->show();
  plAbbruch->repaint();
  kolvex::KurveMaxX[si] = kKeinPunkt;
  kolvex::KurveMaxXY[si] = kKeinPunkt;

  const QColor farbe = colorFromBgr(kolvex::GrafikFarben[static_cast<size_t>(kolvex::FarbNummer)]);
  std::vector<double> xs, ys;
  std::vector<int32_t> quelle;
  bool hatPunkt = false;
  {
    EscWatcher::Operation esc;
    QElapsedTimer balkenUhr;  // the bar repaints at once; a few times a second will do
    balkenUhr.start();
    try {
      const size_t platz = static_cast<size_t>(std::max(0, zeilen - 1));
      xs.reserve(platz);
      ys.reserve(platz);
      quelle.reserve(platz);
      for (int r = 1; r < zeilen; ++r) {
        // A row whose X or Y is empty or not a number adds no point.
        const std::optional<double> x = t.number(xSpalte, r);
        const std::optional<double> y = t.number(ySpalte, r);
        if (x && y && std::isfinite(*x) && std::isfinite(*y)) {
          xs.push_back(*x);
          ys.push_back(*y);
          quelle.push_back(r);
          if (!hatPunkt || *x > kolvex::KurveMaxX[si]) {  // the first of equal maxima stays
            kolvex::KurveMaxX[si] = *x;
            kolvex::KurveMaxXY[si] = *y;
            hatPunkt = true;
          }
        }
        if (r % 1000 == 0) {
          if (balkenUhr.elapsed() >= 40) {
            ProgressBar1->setValue(r);
            balkenUhr.restart();
          }
          if (EscWatcher::pressed()) break;
        }
      }
    } catch (const std::bad_alloc&) {
      EscWatcher::Suspend frei;
      showMessage(QStringLiteral("Speicher-Fehler"), MessageKind::Warning);
    }
  }
  const int punkte = static_cast<int>(xs.size());
  ChartSeries* serie = Serien[si - 1];
  serie->setPoints(std::move(xs), std::move(ys));
  serie->setColor(farbe);
  kolvex::KurvenZeilen[si] = std::move(quelle);

  plAbbruch->hide();
  kolvex::KurvenPunkte[si] = punkte;
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  Chart1->setAutomatic(ChartAxis::Left, true);

  ListBox1->addItem(KurvenBezeichnung());
  // Where the Y channel's name begins is known only here: a channel name may hold " : ".
  ListBox1->item(ListBox1->count() - 1)->setData(kYLaenge, cbYKanal->currentText().size());
  lbFarben->addItem(QStringLiteral("%1").arg(
      static_cast<uint>(kolvex::GrafikFarben[static_cast<size_t>(kolvex::FarbNummer)]), 8, 16,
      QLatin1Char('0')).toUpper());
  SerienAktivieren(s);
  Chart1->refresh();
}

void TfrGrafikApprox::SerienAktivieren(int anzahl) {
  for (int i = 0; i < 20; ++i) {
    ChartSeries* s = Serien[static_cast<size_t>(i)];
    s->setTitle(i < ListBox1->count() ? ListBox1->item(i)->text() : QString());
    s->setActive(i < anzahl);
  }
}

void TfrGrafikApprox::KurvenListeSchreiben() {
  RichEdit1->clear();
  RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
  QFont schrift(QStringLiteral("Courier New"));
  schrift.setStyleHint(QFont::TypeWriter);
  schrift.setFixedPitch(true);
  schrift.setBold(true);
  schrift.setPixelSize(11);
  QTextCursor cursor(RichEdit1->document());
  const int n = Kurven();
  int zeilen = 0;
  auto zeile = [&](const QString& text, const QColor& farbe) {
    QTextCharFormat format;
    format.setFont(schrift);
    format.setForeground(farbe);
    if (zeilen > 0) cursor.insertBlock();
    QTextBlockFormat block;
    block.setLineHeight(14, QTextBlockFormat::FixedHeight);
    cursor.setBlockFormat(block);
    cursor.insertText(text, format);
    ++zeilen;
  };
  if (n < 4) zeile(QString(), Qt::black);
  for (int i = 0; i < n; ++i)
    zeile(ListBox1->item(i)->text(),
          i < lbFarben->count() ? FarbeAusHex(lbFarben->item(i)->text()) : QColor(Qt::black));
  const int h = TitelHoehe(zeilen);
  plUnten->setFixedHeight(h);
  RichEdit1->setFixedHeight(h);
  Image1->setFixedSize(h, h);
  Shape2->setFixedHeight(h);
  if (!logo_.isNull())
    Image1->setPixmap(logo_.scaled(h - 4, h - 4, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

// ---------------------------------------------------------------------------------------------
// Title block

void TfrGrafikApprox::TitelZeilenVonVorn() {
  // A line edit scrolls to its caret, which stays at the end of what the user typed, and
  // setTextFromStart leaves a field alone that already holds the text: a long line would
  // show only its end.
  for (QLineEdit* ed : {edText1, edText2, edText3, edDatum}) ed->setCursorPosition(0);
}

void TfrGrafikApprox::tbTitelClick() {
  plUnten->setVisible(tbTitel->isChecked());
  plLinie->setVisible(tbTitel->isChecked());
  if (tbInterpolation->isChecked()) ApproximationZeichnen();
}

bool TfrGrafikApprox::LogoLaden(const QString& datei) {
  // Through the program's own picture library, like every picture it opens, into a picture
  // of its own first: a file it cannot read is told, as the viewer tells it, and the logo
  // shown stays.
  QImage bild;
  if (!BildLadenMitMeldung(datei, [&] { bild = imagefile::loadPictureFile(datei); })) return false;
  if (bild.isNull()) return false;
  logo_ = QPixmap::fromImage(bild);
  const int h = Image1->height();
  Image1->setPixmap(logo_.scaled(h - 4, h - 4, Qt::KeepAspectRatio, Qt::SmoothTransformation));
  return true;
}

void TfrGrafikApprox::Image1Click() {
  QString datei;
  if (BildDialogTestHook) {
    datei = BildDialogTestHook();
  } else {
    QStringList muster;
    for (const QString& f : imagefile::registeredFileFormats()) {
      muster << QStringLiteral("*.") + f.toLower() << QStringLiteral("*.") + f.toUpper();
    }
    datei = QFileDialog::getOpenFileName(
        this, QStringLiteral("Bild laden"), OpenPictureDialog1.InitialDir,
        QStringLiteral("Bilder (") + muster.join(QLatin1Char(' ')) + QStringLiteral(");;*.* (*)"));
  }
  if (!datei.isEmpty()) {
    OpenPictureDialog1.FileName = datei;
    OpenPictureDialog1.InitialDir = QFileInfo(datei).absolutePath();
    // The logo file stays the one shown until another one could be read.
    if (LogoLaden(datei)) kolvex::LogoDatei = datei.toStdString();
    return;
  }
  if (showMessage(QStringLiteral("Bild löschen?"), MessageKind::Question, MessageButtons::YesNo) ==
      MessageAnswer::Yes) {
    kolvex::LogoDatei.clear();
    logo_ = QPixmap();
    Image1->clear();
  }
}

// ---------------------------------------------------------------------------------------------
// Display

void TfrGrafikApprox::LinienNachEinstellung() {
  if (!frEinstellung_Grafik) return;
  // The settings dialog's "Punkte Verbinden" decides.
  if (auto* verbinden = frEinstellung_Grafik->findChild<QCheckBox*>(QStringLiteral("cpPkt_Verbinden")))
    frEinstellung_Grafik->LinienZeigen(verbinden->isChecked());
}

QPoint TfrGrafikApprox::WertZuPixel(double x, double y) {
  const ChartRect r = Chart1->plotRect();
  return WertZuPixelIn(r, Chart1->minimum(ChartAxis::Bottom), Chart1->maximum(ChartAxis::Bottom),
                       Chart1->minimum(ChartAxis::Left), Chart1->maximum(ChartAxis::Left), x, y);
}

void TfrGrafikApprox::RandSetzen() {
  QStringList namen;
  for (int i = 0; i < ListBox1->count(); ++i) namen << ListBox1->item(i)->text();
  const bool beschriften = cbMoment->isChecked();
  const int wert = RandWert(namen, Chart1->legendVisible(), beschriften);
  // The margin is a share of the chart's width, in percent; but a share is too narrow for
  // a label in a narrow chart, or in the bold font: the label starts 8 pixels right of the
  // plot and should end inside the chart.
  int breiteste = 0;
  if (beschriften && !Chart1->legendVisible()) {
    const QFontMetrics masse(BeschriftungsSchrift());
    for (const QString& n : namen) breiteste = std::max(breiteste, masse.horizontalAdvance(KurvenTeil(n)));
  }
  Chart1->setRightMargin(RandPixel(wert, Chart1->width(), breiteste));
}

QFont TfrGrafikApprox::BeschriftungsSchrift() const {
  QFont schrift = Chart1->font();
  schrift.setBold(true);
  return schrift;
}

void TfrGrafikApprox::KurvenBeschriften() {
  std::vector<ChartOverlayText> texte;
  // With the legend shown the curves are named there, and the margin leaves no room for
  // labels beside the plot: they would be cut off at the chart's edge.
  if (cbMoment->isChecked() && !Chart1->legendVisible()) {
    const QFont schrift = BeschriftungsSchrift();
    for (int i = 1; i <= ListBox1->count() && i <= 20; ++i) {
      const auto si = static_cast<size_t>(i);
      // A curve without points has no place for a label.
      if (Serien[si - 1]->count() == 0) continue;
      // In the margin beside the plot, at the height of the curve's last point: a curve
      // that ends left of the others would have its label run across the plot. Cut short,
      // the X channel gives way first, so that curves sharing it stay told apart by their Y.
      ChartOverlayText t;
      t.x = kolvex::KurveMaxX[si];
      t.y = kolvex::KurveMaxXY[si];
      t.offset = QPoint(kBeschriftungAbstand, -8);
      t.besidePlot = true;
      const QListWidgetItem* eintrag = ListBox1->item(i - 1);
      t.text = KurvenTeil(eintrag->text());
      const QVariant yLaenge = eintrag->data(kYLaenge);
      const qsizetype trenner = yLaenge.isValid() ? t.text.size() - yLaenge.toInt() - 3
                                                  : t.text.lastIndexOf(QStringLiteral(" : "));
      if (trenner > 0 && t.text.mid(trenner, 3) == QStringLiteral(" : ")) t.keepFrom = trenner;
      t.color = i - 1 < lbFarben->count() ? FarbeAusHex(lbFarben->item(i - 1)->text())
                                          : QColor(Qt::black);
      t.font = schrift;
      texte.push_back(std::move(t));
    }
  }
  Chart1->setOverlayTexts(std::move(texte));
}

void TfrGrafikApprox::BeschriftungPlatzieren() {
  const ChartRect r = Chart1->lastPlotRect();
  lbDY->adjustSize();
  lbDX->adjustSize();
  // Both captions stay inside the plot. The X caption ends 10 pixels left of its right
  // edge; one wider than the plot starts at its left like the Y caption and is cut at the
  // right (the labels draw left-aligned), so that its beginning reads.
  const int links = r.left + 6;
  const int rechts = r.right - 10;
  const int platz = std::max(0, rechts - links);
  lbDY->resize(std::min(lbDY->width(), platz), lbDY->height());
  lbDY->move(links, r.top + 4);
  lbDX->resize(std::min(lbDX->width(), platz), lbDX->height());
  const int oben = std::min(Chart1->height() - 65, r.bottom - lbDX->height() - 4);
  lbDX->move(rechts - lbDX->width(), oben);
  lbDX->raise();
  lbDY->raise();
}

void TfrGrafikApprox::SpaltenAnpassen() {
  const int spalten = std::max(1, sg1->ColCount());
  const int breite = std::max(40, (width() - 30) / spalten - 4);
  // Every column at once: column by column the header reckons all positions anew each
  // time, which for a million columns never ends. Columns the grid gets later come in at
  // this width.
  sg1->horizontalHeader()->setDefaultSectionSize(breite);
  sgK->setColWidth(0, 30);
  sgK->setColWidth(1, std::max(60, width() - 30));
}

void TfrGrafikApprox::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  SpaltenAnpassen();
  RandSetzen();
  ApproximationZeichnen();
  BeschriftungPlatzieren();
  KurvenBeschriften();
}

// ---- Scaling ----------------------------------------------------------------------------------

void TfrGrafikApprox::tbSkalierungClick() {
  if (!frSkal) return;
  frSkal->sbSpeichern->setVisible(true);
  auto zelle = [](double v) { return ZahlText(AufZweiStellen(v)); };
  frSkal->sgSkal->setCells(1, 1, zelle(Chart1->minimum(ChartAxis::Left)));
  frSkal->sgSkal->setCells(1, 2, zelle(Chart1->maximum(ChartAxis::Left)));
  frSkal->sgSkal->setCells(2, 1, zelle(Chart1->minimum(ChartAxis::Bottom)));
  frSkal->sgSkal->setCells(2, 2, zelle(Chart1->maximum(ChartAxis::Bottom)));
  frSkal->ShowModal();
  repaint();
  for (const auto& [spalte, achse] :
       {std::pair{1, ChartAxis::Left}, std::pair{2, ChartAxis::Bottom}}) {
    double min = Chart1->minimum(achse);
    double max = Chart1->maximum(achse);
    TextWert(frSkal->sgSkal->Cells(spalte, 1).toStdString(), min);
    TextWert(frSkal->sgSkal->Cells(spalte, 2).toStdString(), max);
    if (max > min) Chart1->setMinMax(achse, min, max);
  }
  ApproximationZeichnen();
}

void TfrGrafikApprox::tbAutom_SkalClick() {
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  Chart1->setAutomatic(ChartAxis::Left, true);
  Chart1->refresh();
  ApproximationZeichnen();
}

void TfrGrafikApprox::tbAutom_SkalRechtsClick() {
  Chart1->setAutomatic(ChartAxis::Left, true);
  Chart1->setMinMax(ChartAxis::Left, kolvex::AbZehntelRunden(Chart1->minimum(ChartAxis::Left)),
                    kolvex::AufZehntelRunden(Chart1->maximum(ChartAxis::Left)));
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  Chart1->setMinMax(ChartAxis::Bottom, Runden(Chart1->minimum(ChartAxis::Bottom)),
                    Runden(Chart1->maximum(ChartAxis::Bottom)));
  ApproximationZeichnen();
}

void TfrGrafikApprox::tbSkal_RundClick() {
  Chart1->setAutomatic(ChartAxis::Left, true);
  const auto [lMin, lMax] =
      LinksGerundet(Chart1->minimum(ChartAxis::Left), Chart1->maximum(ChartAxis::Left));
  Chart1->setMinMax(ChartAxis::Left, lMin, lMax);
  Chart1->setAutomatic(ChartAxis::Bottom, true);
  const auto [uMin, uMax] =
      UntenGerundet(Chart1->minimum(ChartAxis::Bottom), Chart1->maximum(ChartAxis::Bottom));
  Chart1->setMinMax(ChartAxis::Bottom, uMin, uMax);
  ApproximationZeichnen();
}

void TfrGrafikApprox::tbSkal_speichClick() { SkalierungAnwenden(); }

void TfrGrafikApprox::tbSkal_speichRechtsClick() {
  if (!frSkal) return;
  HauptEinstellungenLaden();
  auto fuellen = [](std::string& text, double aktuell) {
    if (text.empty()) text = ZahlText(aktuell).toStdString();
  };
  fuellen(kolvex::SkalYMin, Chart1->minimum(ChartAxis::Left));
  fuellen(kolvex::SkalYMax, Chart1->maximum(ChartAxis::Left));
  fuellen(kolvex::SkalXMin, Chart1->minimum(ChartAxis::Bottom));
  fuellen(kolvex::SkalXMax, Chart1->maximum(ChartAxis::Bottom));
  frSkal->sgSkal->setCells(1, 1, QString::fromStdString(kolvex::SkalYMin));
  frSkal->sgSkal->setCells(1, 2, QString::fromStdString(kolvex::SkalYMax));
  frSkal->sgSkal->setCells(2, 1, QString::fromStdString(kolvex::SkalXMin));
  frSkal->sgSkal->setCells(2, 2, QString::fromStdString(kolvex::SkalXMax));
  frSkal->ShowModal();
}

void TfrGrafikApprox::SkalierungAnwenden() {
  HauptEinstellungenLaden();
  const struct {
    ChartAxis achse;
    const std::string& min;
    const std::string& max;
  } grenzen[] = {{ChartAxis::Left, kolvex::SkalYMin, kolvex::SkalYMax},
                 {ChartAxis::Bottom, kolvex::SkalXMin, kolvex::SkalXMax}};
  for (const auto& g : grenzen) {
    double min = Chart1->minimum(g.achse);
    double max = Chart1->maximum(g.achse);
    Chart1->setAutomatic(g.achse, false);
    // A stored limit that is empty or not a number leaves that limit as it is; the maximum
    // counts only above the minimum.
    TextWert(g.min, min);
    double gespeichert = 0;
    if (TextWert(g.max, gespeichert) && gespeichert > min) max = gespeichert;
    if (max > min) Chart1->setMinMax(g.achse, min, max);
  }
  ApproximationZeichnen();
}

// ---- Switches ---------------------------------------------------------------------------------

void TfrGrafikApprox::tbGitterClick() {
  Chart1->setGridVisible(ChartAxis::Left, tbGitter->isChecked());
  Chart1->setGridVisible(ChartAxis::Bottom, tbGitter->isChecked());
  ApproximationZeichnen();
}

void TfrGrafikApprox::tbLegendeClick() {
  Chart1->setLegendVisible(tbLegende->isChecked());
  RandSetzen();
  ApproximationZeichnen();
  BeschriftungPlatzieren();
}

void TfrGrafikApprox::cbMomentClick() {
  RandSetzen();
  ApproximationZeichnen();
  BeschriftungPlatzieren();
}

void TfrGrafikApprox::tbEinstellungClick() {
  if (frEinstellung_Grafik) frEinstellung_Grafik->ShowModal();
  if (tbInterpolation->isChecked()) ApproximationZeichnen();
}

void TfrGrafikApprox::Chart1Klick(ChartSeries* serie, const QPoint& pos) {
  // Every series shares the two axes, so the position converts alike whichever series
  // was hit.
  if (!serie) return;
  const double x = AufZweiStellen(Chart1->valueAt(ChartAxis::Bottom, pos.x()));
  const double y = AufZweiStellen(Chart1->valueAt(ChartAxis::Left, pos.y()));
  lbX->setText(QStringLiteral("X=") + ZahlText(x));
  lbY->setText(QStringLiteral("Y=") + ZahlText(y));
}
