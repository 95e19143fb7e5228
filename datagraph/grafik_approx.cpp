// Data graph window: creation, activation, loading of text tables, the table page and the
// curve value file.
#include "datagraph/grafik_approx.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>
#include <string_view>
#include <vector>

#include "core/globals.h"
#include "core/routinen.h"
#include "core/tabelle.h"
#include "core/zahltext.h"
#include "datagraph/approxim.h"
#include "datagraph/einstellung_grafik.h"
#include "datagraph/value_grid.h"
#include "graph/skal.h"
#include "platform/bgr_color.h"
#include "platform/einstellungsdatei.h"
#include "platform/esc_watcher.h"
#include "platform/line_edit.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

TfrGrafikApprox* frGrafikApprox = nullptr;

namespace {

QString Endung(const QString& name) {
  return QString::fromStdString(kolvex::DateiEndungGross(name.toStdString()));
}

// The text of an edit as a whole number by the rules of number text (0 when it is none).
int GanzzahlAus(const QString& text) { return kolvex::TextZuGanzzahl(toCore(text)); }

}  // namespace

// ---------------------------------------------------------------------------------------------
// Creation and life cycle

TfrGrafikApprox::TfrGrafikApprox(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  // Both channel boxes show one list of texts; a table's millions of column names must not
  // cost a combo box item each.
  Kanaele = new KanalModell(this);
  for (QComboBox* cb : {cbXKanal, cbYKanal}) cb->setModel(Kanaele);
  VerbindungenHerstellen();
  AusgabeErzeugen();
}

TfrGrafikApprox::~TfrGrafikApprox() {
  if (frApproxim && frApproxim->Datenquelle == this) frApproxim->Datenquelle = nullptr;
  if (frSkal && frSkal->DatenGrafik == this) frSkal->DatenGrafik = nullptr;
  if (frGrafikApprox == this) frGrafikApprox = nullptr;
}

void TfrGrafikApprox::VerbindungenHerstellen() {
  connect(tbPlus, &QToolButton::clicked, this, &TfrGrafikApprox::tbPlusClick);
  connect(tbEinstellung, &QToolButton::clicked, this, &TfrGrafikApprox::tbEinstellungClick);
  connect(tbSkalierung, &QToolButton::clicked, this, &TfrGrafikApprox::tbSkalierungClick);
  connect(tbAutom_Skal, &QToolButton::clicked, this, &TfrGrafikApprox::tbAutom_SkalClick);
  connect(tbSkal_speich, &QToolButton::clicked, this, &TfrGrafikApprox::tbSkal_speichClick);
  connect(tbSkal_Rund, &QToolButton::clicked, this, &TfrGrafikApprox::tbSkal_RundClick);
  connect(tbGitter, &QToolButton::clicked, this, &TfrGrafikApprox::tbGitterClick);
  connect(tbLegende, &QToolButton::clicked, this, &TfrGrafikApprox::tbLegendeClick);
  connect(cbMoment, &QCheckBox::clicked, this, &TfrGrafikApprox::cbMomentClick);
  connect(tbTitel, &QToolButton::clicked, this, &TfrGrafikApprox::tbTitelClick);
  connect(tbLoeschenL, &QToolButton::clicked, this, &TfrGrafikApprox::tbLoeschenLClick);
  connect(tbLoeschen, &QToolButton::clicked, this, &TfrGrafikApprox::tbLoeschenClick);
  connect(tbSpeichern, &QToolButton::clicked, this, &TfrGrafikApprox::tbSpeichernClick);
  connect(btExit, &QToolButton::clicked, this, [this] { close(); });
  // The right buttons of these act on press; the model list's button also takes the left
  // one on press (it toggles there itself).
  for (QToolButton* tb : {tbInterpolation, tbAutom_Skal, tbSkal_Rund, tbSkal_speich})
    tb->installEventFilter(this);
  connect(Chart1, &ChartView::seriesClicked, this, &TfrGrafikApprox::Chart1Klick);
  connect(Chart1, &ChartView::layoutChanged, this, &TfrGrafikApprox::BeschriftungPlatzieren);

  connect(sbGrafik, &QPushButton::clicked, this, &TfrGrafikApprox::sbGrafikClick);
  connect(sbLaden, &QPushButton::clicked, this, &TfrGrafikApprox::sbLadenClick);
  connect(sbLoeschen, &QPushButton::clicked, this, &TfrGrafikApprox::tbLoeschenClick);
  connect(sbAbZeile, &QPushButton::clicked, this, &TfrGrafikApprox::sbAbZeileClick);
  connect(edAbZeile, &QLineEdit::returnPressed, this, &TfrGrafikApprox::sbAbZeileClick);
  connect(cbKommentar, &QCheckBox::clicked, this, &TfrGrafikApprox::cbKommentarClick);
  connect(cbXKanal, &QComboBox::currentIndexChanged, this, &TfrGrafikApprox::cbXKanalChange);
  connect(cbYKanal, &QComboBox::currentIndexChanged, this, &TfrGrafikApprox::cbXKanalChange);
  sg1->viewport()->installEventFilter(this);
  sg1->horizontalHeader()->viewport()->installEventFilter(this);

  connect(edText1, &QLineEdit::returnPressed, edText2, [this] { edText2->setFocus(); });
  connect(edText2, &QLineEdit::returnPressed, edText3, [this] { edText3->setFocus(); });
  connect(edText3, &QLineEdit::returnPressed, edText1, [this] { edText1->setFocus(); });
  for (QLineEdit* ed : {edText1, edText2, edText3, edDatum}) ed->installEventFilter(this);
}

void TfrGrafikApprox::FormCreate() {
  SaveDialog1.FileName.clear();
  KanalListe keine;
  KanalBoxenSetzen(keine);
  lbFName->clear();
  lbTitel->setText(QStringLiteral("Datei:"));
  for (ChartSeries* s : Serien) s->setActive(false);
  for (int i = 1; i <= 20; ++i) {
    kolvex::KurveMaxX[static_cast<size_t>(i)] = -99999;
    kolvex::KurveMaxXY[static_cast<size_t>(i)] = -99999;
    kolvex::KurvenZeilen[static_cast<size_t>(i)].clear();
  }
  RichEdit1->clear();
  sgK->setColCount(2);
  sgK->setRowCount(2);
  sgK->setCells(0, 0, QStringLiteral(" Nr"));
  sgK->setCells(1, 0, QStringLiteral(" Kommentar"));
  sgK->setCellColorHook([](int, int row, QColor& hintergrund, QColor&) {
    if (row == 0) hintergrund = colorFromBgr(0x66FFFF);
  });
  Chart1->setLegendVisible(tbLegende->isChecked());
  Chart1->setGridVisible(ChartAxis::Bottom, tbGitter->isChecked());
  Chart1->setGridVisible(ChartAxis::Left, tbGitter->isChecked());
  KurvenListeSchreiben();
  lbAbZeile->hide();
  edAbZeile->hide();
  sbAbZeile->hide();
  cbKommentar->hide();
  sbGrafik->setEnabled(false);
  sbLoeschen->hide();

  // The model list fits this window's curves and has it redraw them.
  if (frApproxim) frApproxim->Datenquelle = this;

  // The scaling dialog's OK stores and applies the limits while this window calls it.
  if (frSkal) frSkal->DatenGrafik = this;
}

void TfrGrafikApprox::FormShow() {
  // The show event comes before the window is handed to the window system: a load run here
  // would keep the window off the screen until it ended.
  if (wiederZeigen_) return;
  aktivierenOffen_ = true;
  // A table about to load: the window's first picture shows its bar.
  const QString endung = Endung(DatenDateiName(OpenDialog1.FileName));
  if (endung == QLatin1String(".CSV") || endung == QLatin1String(".TXT")) LadeAnzeige(true);
}

void TfrGrafikApprox::setVisible(bool visible) {
  Form::setVisible(visible);
  // The activation steps wait until the window is on the screen with its picture.
  nachDemMalen_ = visible && (nachDemMalen_ || aktivierenOffen_);
  aktivierenGeplant_ = aktivierenGeplant_ && visible;
  aktivierenOffen_ = false;
  if (nachDemMalen_ && windowHandle()) windowHandle()->installEventFilter(this);
}

void TfrGrafikApprox::AktivierenWennGezeigt() {
  if (!nachDemMalen_ || !windowHandle() || !windowHandle()->isExposed()) return;
  nachDemMalen_ = false;
  aktivierenGeplant_ = true;
  // After the paint or the exposure at hand has gone to the screen, unless a load came first.
  QTimer::singleShot(0, this, [this] {
    if (aktivierenGeplant_ && isVisible()) Aktivieren();
  });
}

bool TfrGrafikApprox::event(QEvent* event) {
  const bool behandelt = Form::event(event);
  if (event->type() == QEvent::Paint) AktivierenWennGezeigt();
  return behandelt;
}

void TfrGrafikApprox::Aktivieren() {
  // Run now, they are not due again once the window has painted.
  nachDemMalen_ = aktivierenGeplant_ = false;
  // 1. Settings afresh; the table shows.
  sbLoeschen->hide();
  HauptEinstellungenLaden();
  lbX->clear();
  lbY->clear();
  if (frApproxim) frApproxim->AuswahlSetzen(kolvex::AnsatzIndex);
  GrafikZeigen(false);

  // 2.-3. The file to load, its folder and filter kept in the settings.
  OpenDialog1.FileName = DatenDateiName(OpenDialog1.FileName);
  const QString name = OpenDialog1.FileName;
  if (!name.isEmpty()) {
    QString ordner = QFileInfo(name).absolutePath();
    if (!ordner.endsWith(QLatin1Char('/'))) ordner += QLatin1Char('/');
    kolvex::DatenPfad = ordner.toStdString();
  }
  kolvex::DatenFilterIndex = OpenDialog1.FilterIndex;
  HauptEinstellungenSpeichern();

  // 4. Load by extension.
  lbAbZeile->hide();
  edAbZeile->hide();
  sbAbZeile->hide();
  const QString endung = Endung(name);
  if (endung == QLatin1String(".DAT") || endung == QLatin1String(".TDM")) {
    DiaDemDateiLaden(name);
  } else if (endung == QLatin1String(".CSV") || endung == QLatin1String(".TXT")) {
    TextDateiLaden(name);
    lbAbZeile->show();
    edAbZeile->show();
    sbAbZeile->show();
  }

  // 5.-9.
  SpaltenAnpassen();
  if (frEinstellung_Grafik) frEinstellung_Grafik->EinstellungUebernehmen();
  edDatum->setText(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
  FarbListeFuellen();
  cbFarbe->setCurrentIndex(std::min(Kurven(), cbFarbe->count() - 1));
  Tag = 1;
  const QString logo = QString::fromStdString(kolvex::LogoDatei);
  if (!logo.isEmpty() && QFileInfo(logo).isFile()) LogoLaden(logo);
  setTextFromStart(edText1, QString::fromStdString(kolvex::TitelText1));
  setTextFromStart(edText2, QString::fromStdString(kolvex::TitelText2));
  setTextFromStart(edText3, QString::fromStdString(kolvex::TitelText3));
  TitelZeilenVonVorn();
  sbLoeschen->setVisible(Kurven() >= 1);
  sbGrafik->setEnabled(cbXKanal->count() >= 1);
}

void TfrGrafikApprox::FormClose(bool& accept) {
  (void)accept;
  // The table's memory goes back at once; a million rows must not wait for the next load.
  sg1->clearCells();
  KanalListe keine;
  KanalBoxenSetzen(keine);
  Tag = 0;
  kolvex::TitelText1 = edText1->text().toStdString();
  kolvex::TitelText2 = edText2->text().toStdString();
  kolvex::TitelText3 = edText3->text().toStdString();
  HauptEinstellungenSpeichern();
}

QString TfrGrafikApprox::DatenDateiName(const QString& name) {
  const QString endung = Endung(name);
  QString ziel = name;
  const qsizetype punkt = name.lastIndexOf(QLatin1Char('.'));
  if (endung == QLatin1String(".TDX"))
    ziel = name.left(punkt) + QStringLiteral(".TDM");
  else if (endung == QLatin1String(".R32") || endung == QLatin1String(".R48") ||
           endung == QLatin1String(".R64"))
    ziel = name.left(punkt) + QStringLiteral(".DAT");
  if (ziel == name || ziel.isEmpty() || QFileInfo::exists(ziel)) return ziel;
  // The file system tells letter cases apart; the program's files come from one that
  // does not, so "messung.dat" answers for "messung.DAT".
  const QFileInfo info(ziel);
  const QDir ordner = info.dir();
  const QStringList namen = ordner.entryList(QDir::Files | QDir::Hidden);
  for (const QString& n : namen)
    if (n.compare(info.fileName(), Qt::CaseInsensitive) == 0) return ordner.filePath(n);
  return ziel;
}

bool TfrGrafikApprox::OpenDialog1Execute() {
  if (OeffnenDialogTestHook) return OeffnenDialogTestHook(OpenDialog1);
  const QStringList filter = {
      QStringLiteral("Alle DiaDem-Dateien (*.dat *.DAT *.tdm *.TDM *.tdx *.TDX *.r32 *.R32 *.r48 "
                     "*.R48 *.r64 *.R64)"),
      QStringLiteral("DiaDem TDM (*.tdm *.TDM *.tdx *.TDX)"),
      QStringLiteral("DiaDem DAT (*.dat *.DAT *.r32 *.R32 *.r48 *.R48 *.r64 *.R64)"),
      QStringLiteral("TXT-Datei (*.txt *.TXT)"),
      QStringLiteral("CSV-Datei (*.csv *.CSV)"),
      QStringLiteral("*.* (*)"),
  };
  QFileDialog dialog(this, QStringLiteral(" Öffnen Datei für XY-Diagramm"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(filter);
  const int index = std::clamp(OpenDialog1.FilterIndex, 1, static_cast<int>(filter.size()));
  dialog.selectNameFilter(filter[index - 1]);
  if (!OpenDialog1.InitialDir.isEmpty() && QFileInfo(OpenDialog1.InitialDir).isDir())
    dialog.setDirectory(OpenDialog1.InitialDir);
  else if (!OpenDialog1.FileName.isEmpty() && !OpenDialog1.FileName.contains(QLatin1Char('*')))
    dialog.setDirectory(QFileInfo(OpenDialog1.FileName).absolutePath());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  OpenDialog1.FileName = dialog.selectedFiles().constFirst();
  OpenDialog1.FilterIndex = static_cast<int>(filter.indexOf(dialog.selectedNameFilter())) + 1;
  if (OpenDialog1.FilterIndex < 1) OpenDialog1.FilterIndex = 1;
  return true;
}

void TfrGrafikApprox::DiaDemDateiLaden(const QString& name) {
  if (Messdaten) Messdaten->Laden(name);
}

// ---------------------------------------------------------------------------------------------
// Table page

void TfrGrafikApprox::KanalBoxenSetzen(KanalListe& liste) {
  const QSignalBlocker sperreX(cbXKanal);
  const QSignalBlocker sperreY(cbYKanal);
  Kanaele->setzen(liste);
}

void TfrGrafikApprox::LadeAnzeige(bool an) {
  if (an) {
    plTabelle->hide();
    ProgressBar1->setMaximum(10000);
    ProgressBar1->setValue(0);
    plAbbruch->show();
    balkenUhr_.invalidate();
    // On the screen before the loading begins, over whatever a dialog left there.
    if (isVisible() && windowHandle() && windowHandle()->isExposed()) repaint();
    return;
  }
  setWindowTitle(QStringLiteral("  XY-Daten im Diagramm"));
  plAbbruch->hide();
  plTabelle->show();
  GrafikZeigen(false);
}

void TfrGrafikApprox::GrafikZeigen(bool grafik) {
  plSeiten->setCurrentWidget(grafik ? plChart : plTabelle);
}

int TfrGrafikApprox::Kurven() const { return ListBox1->count(); }

void TfrGrafikApprox::FarbListeFuellen() {
  const QSignalBlocker sperre(cbFarbe);
  cbFarbe->clear();
  for (int i = 1; i <= 20; ++i) {
    const QColor farbe = colorFromBgr(kolvex::GrafikFarben[static_cast<size_t>(i)]);
    QPixmap feld(cbFarbe->iconSize());
    feld.fill(farbe);
    QPainter rand(&feld);
    rand.setPen(QColor(90, 90, 90));
    rand.drawRect(0, 0, feld.width() - 1, feld.height() - 1);
    rand.end();
    cbFarbe->addItem(QIcon(feld), QString());
  }
}

void TfrGrafikApprox::sbLadenClick() {
  if (OpenDialog1Execute()) {
    OpenDialog1.FileName = DatenDateiName(OpenDialog1.FileName);
    if (Messdaten) Messdaten->NeueDatei();
    const QString endung = Endung(OpenDialog1.FileName);
    const bool tabelle = endung == QLatin1String(".CSV") || endung == QLatin1String(".TXT");
    if (!tabelle && kolvex::XYDatenKanalAuswahl && Messdaten) {
      hide();
      const bool bestaetigt = Messdaten->KanaeleWaehlen();
      wiederZeigen_ = true;
      show();
      wiederZeigen_ = false;
      if (bestaetigt) Aktivieren();
    } else {
      Aktivieren();
    }
  }
  sbGrafik->setEnabled(cbXKanal->count() >= 1);
}

void TfrGrafikApprox::sbAbZeileClick() {
  // The reader builds a fresh table and swaps it in only when the file could be read, so
  // the grid is not emptied first: a start row beyond the end keeps what was shown.
  TextDateiLaden(OpenDialog1.FileName);
  SpaltenAnpassen();
}

void TfrGrafikApprox::tbPlusClick() {
  GrafikZeigen(false);
  cbFarbe->setCurrentIndex(std::min(Kurven(), cbFarbe->count() - 1));
  if (Kurven() >= 1) sbLoeschen->show();
}

void TfrGrafikApprox::cbKommentarClick() {
  sgK->setVisible(cbKommentar->isChecked());
  Splitter1->setVisible(cbKommentar->isChecked());
}

void TfrGrafikApprox::cbXKanalChange() {
  sg1->tableModel()->setChannels(cbXKanal->currentIndex(), cbYKanal->currentIndex());
}

void TfrGrafikApprox::tbLoeschenLClick() {
  const int n = Kurven();
  if (n == 0) {
    AlleKurvenLoeschen();
    sbLoeschen->hide();
    return;
  }
  delete ListBox1->takeItem(n - 1);
  delete lbFarben->takeItem(n - 1);
  ChartSeries* s = Serien[static_cast<size_t>(n - 1)];
  s->clear();
  s->setActive(false);
  s->setTitle(QString());
  kolvex::KurveMaxX[static_cast<size_t>(n)] = -99999;
  kolvex::KurveMaxXY[static_cast<size_t>(n)] = -99999;
  kolvex::KurvenZeilen[static_cast<size_t>(n)].clear();
  KurvenListeSchreiben();
  ApproximationZeichnen();
  if (Kurven() == 0) {
    AlleKurvenLoeschen();
    sbLoeschen->hide();
  }
}

void TfrGrafikApprox::tbLoeschenClick() {
  if (showMessage(QStringLiteral("Diagramm löschen?"), MessageKind::Question,
                  MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  AlleKurvenLoeschen();
  sbLoeschen->hide();
}

void TfrGrafikApprox::AlleKurvenLoeschen() {
  const int n = Kurven();
  ListBox1->clear();
  lbFarben->clear();
  for (int i = 0; i < 20; ++i) {
    ChartSeries* s = Serien[static_cast<size_t>(i)];
    if (i < n || s->count() > 0) {
      s->clear();
      s->setActive(false);
      s->setTitle(QString());
    }
    kolvex::KurvenZeilen[static_cast<size_t>(i + 1)].clear();
  }
  KurvenListeSchreiben();
  Chart1->setOverlayTexts({});
  for (Ausgleich& a : ausgleich_) a.gezeigt = false;
  Chart1->setOverlayLines({});
  Chart1->refresh();
  GrafikZeigen(false);
  kolvex::KurvenNummer = 1;
  kolvex::FarbNummer = cbFarbe->currentIndex() + 1;
  cbFarbe->setCurrentIndex(0);
}

// ---------------------------------------------------------------------------------------------
// Reading a text table

namespace {

// The rows of a table load: the fields of every data line into a fresh table, "Nr" in column
// 0, the table as wide as the widest row. A row counts once all of it is stored: lack of
// memory keeps the rows before it (the table cut back to them) and ends the reading.
struct ZeilenLeser {
  kolvex::TabellenLeser& leser;
  bool utf8;  // else Windows-1252, converted cell by cell
  ValueTable& tabelle;
  int zeilen = 0;
  int spalten = 0;  // of the rows stored, "Nr" included
  bool speicherFehler = false;

  // Reads until the text ends or weiter(rows so far), asked every 1000 rows, says stop.
  template <class Weiter>
  void lesen(Weiter weiter) {
    try {
      // At least as wide as the header.
      if (leser.kopfAnzahl() > kHoechstSpalten) throw std::bad_alloc();
      tabelle.setSize(static_cast<int>(leser.kopfAnzahl()) + 1, tabelle.rowCount());
      spalten = tabelle.columnCount();
      kolvex::Felder felder;
      while (leser.naechsteZeile(felder)) {
        if (TfrGrafikApprox::SpeicherFehlerNachZeilen >= 0 && zeilen >= TfrGrafikApprox::SpeicherFehlerNachZeilen)
          throw std::bad_alloc();
        zeileSpeichern(felder, zeilen + 1);
        ++zeilen;
        if (zeilen % 1000 == 0 && !weiter(zeilen)) break;
      }
    } catch (const std::bad_alloc&) {
      speicherFehler = true;
    }
    // Cutting back allocates nothing.
    tabelle.setSize(spalten, zeilen + 1);
  }

  void zeileSpeichern(kolvex::Felder& felder, int r) {
    // Rows are added ahead by half again as many, which costs nothing per column.
    if (r >= tabelle.rowCount())
      tabelle.setSize(tabelle.columnCount(), static_cast<int>(std::min<int64_t>(int64_t{r} + r / 2 + 1, kHoechstZeilen)));
    tabelle.setNumber(0, r, r);
    std::string_view feld;
    int c = 1;
    for (; felder.naechstes(feld); ++c) {
      if (c >= tabelle.columnCount()) {
        // A line wider than every one before: room for all of its fields at once. Columns
        // are counted in int, "Nr" included.
        const size_t anzahl = felder.anzahl();
        if (anzahl > kHoechstSpalten) throw std::bad_alloc();
        tabelle.setSize(static_cast<int>(anzahl) + 1, tabelle.rowCount());
      }
      zelleSetzen(c, r, feld);
    }
    spalten = std::max(spalten, c);
  }

  void zelleSetzen(int c, int r, std::string_view feld) {
    if (utf8 || std::all_of(feld.begin(), feld.end(), [](char ch) { return ch >= 0; }))
      tabelle.setCell(c, r, feld);
    else
      tabelle.setCell(c, r, std::string_view(kolvex::Cp1252ZuUtf8(feld)));
  }

  // Header: "Nr", the header fields, "K" + column for an empty or missing one.
  void kopfSetzen() {
    tabelle.setCell(0, 0, std::string_view("Nr"));
    kolvex::Felder kopf = leser.kopf();
    std::string_view feld;
    for (int c = 1; c < tabelle.columnCount(); ++c) {
      if (kopf.naechstes(feld) && !feld.empty())
        zelleSetzen(c, 0, feld);
      else
        tabelle.setCell(c, 0, std::string_view(std::to_string(c).insert(0, 1, 'K')));
    }
  }

  static constexpr int64_t kHoechstZeilen = 2000000000;
  static constexpr size_t kHoechstSpalten = static_cast<size_t>(std::numeric_limits<int>::max()) - 1;
};

// The channel boxes' texts: "Nr" and the header of every column.
KanalListe KanaeleVon(const ValueTable& tabelle) {
  KanalListe kanaele;
  size_t bytes = 0;
  for (int c = 0; c < tabelle.columnCount(); ++c) bytes += tabelle.cellUtf8(c, 0).size();
  kanaele.reservieren(static_cast<size_t>(tabelle.columnCount()), bytes);
  for (int c = 0; c < tabelle.columnCount(); ++c) kanaele.anhaengen(tabelle.cellUtf8(c, 0));
  return kanaele;
}

}  // namespace

void TfrGrafikApprox::TextDateiLaden(const QString& name) {
  // A table loaded before the window has painted: the activation due then would load again
  // while this load lets the events through.
  nachDemMalen_ = aktivierenGeplant_ = false;
  const char trenner = Endung(name) == QLatin1String(".CSV") ? ';' : '\t';
  const int startZeile = std::max(1, GanzzahlAus(edAbZeile->text()));
  // Lack of memory ends the load in one message. In the data loop it keeps the rows read
  // so far; anywhere else (or before the first row) the table shown before stays.
  int schritt = 0;
  auto speicherSchritt = [&schritt] {
    if (SpeicherFehlerAbSchritt >= 0 && schritt++ >= SpeicherFehlerAbSchritt) throw std::bad_alloc();
  };
  bool speicherFehler = false;
  // The bar is up from the first moment: a large file takes seconds to read.
  LadeAnzeige(true);
  LadeStand(0);
  try {
    EscWatcher::Operation esc;
    // 1. The file's bytes.
    QByteArray gelesen;
    speicherSchritt();
    if (!TabellenDateiLesen(name, gelesen)) {
      LadeAnzeige(false);
      return;
    }
    const std::string_view bytes(gelesen.constData(), static_cast<size_t>(gelesen.size()));

    // 2. The header.
    speicherSchritt();
    kolvex::TabellenLeser leser(bytes, trenner, startZeile);
    if (leser.fehler() != kolvex::TabellenFehler::Keiner) {
      LadeAnzeige(false);
      showMessage((leser.fehler() == kolvex::TabellenFehler::KeinKopf ? QStringLiteral("Lesefehler Datei: ")
                                                                       : QStringLiteral("Lesefehler in Datei ")) +
                      name,
                  MessageKind::Warning);
      return;
    }

    // 3. The rows, into a fresh table that replaces the grid's only at the end.
    speicherSchritt();
    ValueTable neu;
    ZeilenLeser zeilen{leser, kolvex::GueltigesUtf8(bytes), neu};
    zeilen.lesen([this](int r) {
      LadeStand(r);
      return !EscWatcher::pressed();
    });
    if (zeilen.speicherFehler) {
      speicherFehler = true;
      if (zeilen.zeilen == 0) throw std::bad_alloc();
    }

    // 4. The header cells and the channel boxes' texts; the room grown ahead goes.
    speicherSchritt();
    zeilen.kopfSetzen();
    gelesen = QByteArray();  // the file's bytes are not needed any more
    speicherSchritt();
    KanalListe kanaele = KanaeleVon(neu);
    neu.trim();

    // 5. Shown.
    TabelleZeigen(neu, kanaele);
  } catch (const std::bad_alloc&) {
    speicherFehler = true;
    LadeAnzeige(false);
    showMessage(QStringLiteral("Speicherplatz Fehler"), MessageKind::Warning);
    return;
  }
  LadeAnzeige(false);
  if (speicherFehler) showMessage(QStringLiteral("Speicherplatz Fehler"), MessageKind::Warning);

  // 6. The channels used last, when the file has them; the file's name and size.
  auto index = [this](const std::string& kanal) { return std::max(0, Kanaele->liste().suchen(kanal)); };
  cbXKanal->setCurrentIndex(index(kolvex::KanalX));
  cbYKanal->setCurrentIndex(index(kolvex::KanalY));
  cbXKanalChange();
  lbFName->setText(name);
  lbTitel->setText(QString::number(sg1->ColCount() - 1) + QStringLiteral(" Kanäle  ") +
                   QString::number(sg1->RowCount() - 1) + QStringLiteral(" Werte Datei: "));
  cbKommentar->hide();
  sgK->hide();
  Splitter1->hide();
}

bool TfrGrafikApprox::TabellenDateiLesen(const QString& name, QByteArray& bytes) {
  // Read into memory, not mapped: a mapped file that another program cuts short while it
  // loads ends the program (SIGBUS) at the first touch of a page beyond the new end. The
  // reading takes what the file holds until its end, shorter or longer than announced, in
  // large reads straight into the buffer, letting the window's events through between them.
  QFile datei(name);
  bool ok = datei.open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  if (ok) {
    constexpr qint64 kStueck = qint64{32} << 20;
    const qint64 angekuendigt = std::max<qint64>(datei.size(), 0);
    qint64 gelesen = 0;
    bytes.resize(angekuendigt + 1);  // one more, to see the end without a second pass
    for (;;) {
      if (gelesen == bytes.size()) bytes.resize(bytes.size() + std::max<qint64>(bytes.size(), 1 << 16));
      const qint64 n = datei.read(bytes.data() + gelesen, std::min(bytes.size() - gelesen, kStueck));
      if (n <= 0) {
        ok = n == 0;
        break;
      }
      gelesen += n;
      EscWatcher::pressed();  // lets the events through
    }
    bytes.resize(gelesen);
  }
  if (!ok) {
    bytes = QByteArray();
    showMessage(readFailedText(name, datei.errorString()), MessageKind::Warning);
  }
  return ok;
}

void TfrGrafikApprox::LadeStand(int zeilen) {
  // The bar and the caption repaint whenever the events are let through (the ESC poll,
  // every 30 ms or so); a few times a second looks the same. The first step shows at once.
  if (zeilen > 0 && (!balkenUhr_.isValid() || balkenUhr_.elapsed() >= 40)) {
    setWindowTitle(QStringLiteral(" Lesen ") + QString::number(zeilen));
    // A counter of rows that starts again once it passes the bar's maximum.
    ProgressBar1->setValue(zeilen % (ProgressBar1->maximum() + 1));
    balkenUhr_.restart();
  }
  if (LadeTestHook) LadeTestHook(zeilen);
}

void TfrGrafikApprox::TabelleZeigen(ValueTable& neu, KanalListe& kanaele) {
  // Qt's header does not survive an allocation of its sections that fails (it crashes): their
  // room, 8 bytes a column, is held (twice over) from before the swap until the grid takes
  // the table. Without it the table shown before stays.
  std::unique_ptr<char[]> platz(new char[static_cast<size_t>(neu.columnCount()) * 16 + 4096]);
  sg1->table().swap(neu);
  neu = ValueTable();  // the old cells go before the views need memory
  try {
    SpaltenAnpassen();  // before the grid learns the new columns: they come in at that width
    platz.reset();
    sg1->tableChanged();
    KanalBoxenSetzen(kanaele);
  } catch (const std::bad_alloc&) {
    // The views may hold half of it; no table needs no memory.
    ValueTable keine;
    sg1->table().swap(keine);
    keine = ValueTable();
    KanalListe leer;
    sg1->tableChanged();
    KanalBoxenSetzen(leer);
    lbFName->clear();
    lbTitel->setText(QStringLiteral("Datei:"));
    throw;
  }
}

// ---------------------------------------------------------------------------------------------
// Curve value file

bool TfrGrafikApprox::WerteSpeichern(const QString& datei) {
  const char trenner = Endung(datei) == QLatin1String(".TXT") ? '\t' : ';';
  const int kurven = std::min(Kurven(), 20);
  // Built as UTF-8 bytes: a million points of 20 curves would cost gigabytes as QStrings.
  QByteArray text = "X";
  for (int k = 0; k < kurven; ++k) {
    text += trenner;
    text += ListBox1->item(k)->text().toUtf8();
  }
  text += '\n';
  auto zahl = [&text](double v) {
    const std::string t = kolvex::FloatText(v);
    text.append(t.data(), static_cast<qsizetype>(t.size()));
  };

  // Curves are lined up by the table row their points came from, not by point index: a
  // curve that skipped a row (an empty cell) must not have its later values written
  // against another row's X. Every curve's rows rise, so one pointer per curve walks along.
  std::vector<size_t> zeiger(static_cast<size_t>(kurven), 0);
  const ChartSeries* erste = Serien[0];
  const auto& ersteZeilen = kolvex::KurvenZeilen[1];
  for (int j = 0; kurven > 0 && j < erste->count(); ++j) {
    zahl(erste->xValue(j));
    text += trenner;
    zahl(erste->yValue(j));
    const int32_t quellZeile =
        static_cast<size_t>(j) < ersteZeilen.size() ? ersteZeilen[static_cast<size_t>(j)] : -1;
    for (int k = 1; k < kurven; ++k) {
      text += trenner;
      if (quellZeile < 0) continue;
      const auto& zeilen = kolvex::KurvenZeilen[static_cast<size_t>(k + 1)];
      const ChartSeries* s = Serien[static_cast<size_t>(k)];
      const size_t n = std::min(zeilen.size(), static_cast<size_t>(s->count()));
      size_t& z = zeiger[static_cast<size_t>(k)];
      while (z < n && zeilen[z] < quellZeile) ++z;
      if (z < n && zeilen[z] == quellZeile) zahl(s->yValue(static_cast<int>(z)));
    }
    text += '\n';
  }
  QString fehler;
  if (!writeUtf8Text(datei, text, &fehler)) {
    showMessage(saveFailedText(datei, fehler), MessageKind::Warning);
    return false;
  }
  return true;
}

void TfrGrafikApprox::tbSpeichernClick() {
  if (Kurven() == 0) {
    showMessage(QStringLiteral("Keine Werte"), MessageKind::Warning);
    return;
  }
  QString datei;
  int filter = SaveDialog1.FilterIndex;
  if (SpeichernDialogTestHook) {
    datei = SpeichernDialogTestHook(filter);
  } else {
    const QStringList filterListe = {QStringLiteral("Excel-Datei (*.csv *.CSV)"),
                                     QStringLiteral("Text-Datei (*.txt *.TXT)")};
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filterListe);
    filter = std::clamp(filter, 1, 2);
    dialog.selectNameFilter(filterListe[filter - 1]);
    dialog.setDefaultSuffix(filter == 2 ? QStringLiteral("txt") : QStringLiteral("csv"));
    if (!kolvex::DatenPfad.empty()) dialog.setDirectory(QString::fromStdString(kolvex::DatenPfad));
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& f) {
      dialog.setDefaultSuffix(f.contains(QLatin1String("*.txt")) ? QStringLiteral("txt")
                                                                  : QStringLiteral("csv"));
    });
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
      datei = dialog.selectedFiles().constFirst();
      filter = dialog.selectedNameFilter().contains(QLatin1String("*.txt")) ? 2 : 1;
    }
  }
  if (datei.isEmpty()) return;
  // A name typed without an extension gets the one of the chosen filter.
  if (QFileInfo(datei).suffix().isEmpty())
    datei += filter == 2 ? QStringLiteral(".txt") : QStringLiteral(".csv");
  SaveDialog1.FileName = datei;
  SaveDialog1.FilterIndex = filter;
  WerteSpeichern(datei);
}

// ---------------------------------------------------------------------------------------------
// Mouse and keys

bool TfrGrafikApprox::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type typ = event->type();
  if (typ == QEvent::Expose && watched == windowHandle()) AktivierenWennGezeigt();
  if (typ == QEvent::MouseButtonPress) {
    auto* maus = static_cast<QMouseEvent*>(event);
    const Qt::MouseButton k = maus->button();
    // A button on the grid or its header picks the column under the pointer.
    if (watched == sg1->viewport() || watched == sg1->horizontalHeader()->viewport()) {
      const int spalte = watched == sg1->viewport()
                             ? sg1->columnAtPoint(maus->position().toPoint())
                             : sg1->horizontalHeader()->logicalIndexAt(maus->position().toPoint());
      if (spalte >= 0) {
        QComboBox* box = k == Qt::RightButton ? cbYKanal : cbXKanal;
        if (spalte < box->count()) box->setCurrentIndex(spalte);
      }
      return k == Qt::RightButton;  // no context menu
    }
    if (watched == tbInterpolation) {
      tbInterpolationMausDruck(k);
      return true;
    }
    if (k == Qt::RightButton) {
      if (watched == tbAutom_Skal) {
        tbAutom_SkalRechtsClick();
        return true;
      }
      if (watched == tbSkal_Rund) {
        tbAutom_SkalClick();
        return true;
      }
      if (watched == tbSkal_speich) {
        tbSkal_speichRechtsClick();
        return true;
      }
    }
    if (watched == Image1 && k == Qt::LeftButton) {
      Image1Click();
      return true;
    }
  } else if (typ == QEvent::FocusOut) {
    // A title line the user leaves shows its beginning again, as the picture and the next
    // opening show it. Not while the window is merely inactive or a context menu is open:
    // typing must go on where it stopped.
    const Qt::FocusReason grund = static_cast<QFocusEvent*>(event)->reason();
    if (grund != Qt::ActiveWindowFocusReason && grund != Qt::PopupFocusReason) {
      for (QLineEdit* ed : {edText1, edText2, edText3, edDatum})
        if (watched == ed) ed->setCursorPosition(0);
    }
  } else if (typ == QEvent::Enter || typ == QEvent::MouseMove || typ == QEvent::ToolTip) {
    if (watched == tbInterpolation)
      tbInterpolation->setToolTip(QStringLiteral("Appromaximation\nRechtemaus: Auswahl"));
    else if (watched == tbSkal_speich)
      tbSkal_speich->setToolTip(QStringLiteral("Gespeicherte Skalierung\nRechtemaus: Speichern"));
    else if (watched == sbAbZeile)
      sbAbZeile->setToolTip(QStringLiteral("Neuladen ab Zeile Nr. ") + edAbZeile->text());
  }
  return Form::eventFilter(watched, event);
}
