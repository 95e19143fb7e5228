#include "datagraph/einstellung_grafik.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <array>
#include <algorithm>

#include "core/farbwerte.h"
#include "platform/einstell_bausteine.h"
#include "core/globals.h"
#include "core/grafikeinstellung.h"
#include "core/zahltext.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

using kolvex::GrafikFarben;

TfrEinstellung_Grafik* frEinstellung_Grafik = nullptr;

namespace {

constexpr int kKurven = 20;
constexpr int kDateiZeilen = 93;

constexpr std::array<int32_t, kKurven + 1> kStandardFarben = {
    0,        16711680, 255,      32768,    16776960, 16711935, 65280,
    128,      32896,    8388736,  8421376,  15762555, 15355714, 13509911,
    11955455, 10172415, 6291647,  33023,    7321599,  27607,    19351};

// Widths beyond the list's 1..10 come only from edited files; a pen far wider than any
// curve makes the raster engine crawl.
constexpr int kBreiteMax = 100;

}  // namespace

// ---- Construction --------------------------------------------------------------------------

TfrEinstellung_Grafik::TfrEinstellung_Grafik(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frEinstellung_Grafik"));
  LayoutErzeugen();
  VerbindungenHerstellen();
}

TfrEinstellung_Grafik::~TfrEinstellung_Grafik() {
  if (frEinstellung_Grafik == this) frEinstellung_Grafik = nullptr;
}

FarbPanel* TfrEinstellung_Grafik::plF(int i) const {
  const std::array<FarbPanel*, kKurven> p = {plF1,  plF2,  plF3,  plF4,  plF5,  plF6,  plF7,
                                             plF8,  plF9,  plF10, plF11, plF12, plF13, plF14,
                                             plF15, plF16, plF17, plF18, plF19, plF20};
  return i >= 1 && i <= kKurven ? p[static_cast<size_t>(i - 1)] : nullptr;
}

TextCombo* TfrEinstellung_Grafik::cbPunkt(int i) const {
  const std::array<TextCombo*, kKurven> c = {cb1,  cb2,  cb3,  cb4,  cb5,  cb6,  cb7,
                                             cb8,  cb9,  cb10, cb11, cb12, cb13, cb14,
                                             cb15, cb16, cb17, cb18, cb19, cb20};
  return i >= 1 && i <= kKurven ? c[static_cast<size_t>(i - 1)] : nullptr;
}

TextCombo* TfrEinstellung_Grafik::cbLinie(int i) const {
  const std::array<TextCombo*, kKurven> c = {cbL1,  cbL2,  cbL3,  cbL4,  cbL5,  cbL6,  cbL7,
                                             cbL8,  cbL9,  cbL10, cbL11, cbL12, cbL13, cbL14,
                                             cbL15, cbL16, cbL17, cbL18, cbL19, cbL20};
  return i >= 1 && i <= kKurven ? c[static_cast<size_t>(i - 1)] : nullptr;
}

TextCombo* TfrEinstellung_Grafik::cbStaerke(int i) const {
  const std::array<TextCombo*, kKurven> c = {cbS1,  cbS2,  cbS3,  cbS4,  cbS5,  cbS6,  cbS7,
                                             cbS8,  cbS9,  cbS10, cbS11, cbS12, cbS13, cbS14,
                                             cbS15, cbS16, cbS17, cbS18, cbS19, cbS20};
  return i >= 1 && i <= kKurven ? c[static_cast<size_t>(i - 1)] : nullptr;
}

void TfrEinstellung_Grafik::VerbindungenHerstellen() {
  for (int i = 1; i <= kKurven; ++i) {
    connect(plF(i), &FarbPanel::clicked, this, [this, i] { FarbPanelClick(i); });
    for (TextCombo* c : {cbPunkt(i), cbLinie(i), cbStaerke(i)}) {
      connect(c, &QComboBox::activated, this, [this] { EinstellungUebernehmen(); });
      connect(c, &TextCombo::escapePressed, this, [this] { close(); });
    }
  }
  for (QCheckBox* c : {cpPkt_Verbinden, cbPkt_Farbe, cbPkt_Linie}) {
    connect(c, &QCheckBox::clicked, this, [this] { EinstellungUebernehmen(); });
    c->installEventFilter(this);
  }
  connect(UpD_PktG, &AufAbSchalter::geklickt, this, [this] { UpD_PktGClick(); });
  connect(UpD_IncY1, &AufAbSchalter::geklickt, this, [this] { UpD_IncY1Click(); });
  connect(sbSpeichern_als, &QPushButton::clicked, this, [this] { sbSpeichern_alsClick(); });
  connect(sbLaden, &QPushButton::clicked, this, [this] { sbLadenClick(); });
  connect(sbLadenStand, &QPushButton::clicked, this, [this] { sbLadenStandClick(); });
  connect(sbSpeichern, &QPushButton::clicked, this, [this] { sbSpeichernClick(); });
  connect(sbExit, &QPushButton::clicked, this, [this] { sbExitClick(); });
  sbSpeichern->installEventFilter(this);
}

bool TfrEinstellung_Grafik::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sbSpeichern) {
    if (event->type() == QEvent::Enter || event->type() == QEvent::MouseMove)
      sbSpeichern->setToolTip(QStringLiteral("Einstellung speichern in ") +
                              QString::fromLatin1(GrafikEinstellungsDatei));
  } else if (event->type() == QEvent::KeyPress && qobject_cast<QCheckBox*>(watched)) {
    // As on the combos: ESC closes, typed characters do nothing. Space still ticks the box
    // and Tab still moves on.
    auto* taste = static_cast<QKeyEvent*>(event);
    if (taste->key() == Qt::Key_Escape) {
      close();
      return true;
    }
    const QString t = taste->text();
    if (!t.isEmpty() && t != QStringLiteral(" ") && taste->key() != Qt::Key_Tab &&
        taste->key() != Qt::Key_Backtab)
      return true;
  }
  return Form::eventFilter(watched, event);
}

QString TfrEinstellung_Grafik::ProgrammDatei(const QString& name) const {
  return ImProgrammOrdner(name);
}

// ---- Life cycle ----------------------------------------------------------------------------

void TfrEinstellung_Grafik::FormCreate() {
  EinstellungLaden(ProgrammDatei(QString::fromLatin1(GrafikEinstellungsDatei)));
  FarbenDateiLesen();
}

// The panels are painted when the dialog appears as well: offscreen and under some window
// managers a modal dialog is not always activated.
void TfrEinstellung_Grafik::FormShow() {
  FarbenZeigen();
  AnzeigenAktualisieren();
}

void TfrEinstellung_Grafik::FormActivate() {
  FarbenZeigen();
  AnzeigenAktualisieren();
}

void TfrEinstellung_Grafik::FormClose(bool& accept) {
  (void)accept;
  // What was not saved is undone: the stored settings come back.
  EinstellungLaden(ProgrammDatei(QString::fromLatin1(GrafikEinstellungsDatei)));
  EinstellungUebernehmen();
}

void TfrEinstellung_Grafik::AnzeigenAktualisieren() {
  lbPkt_G->setText(QString::number(UpD_PktG->value()));
  lbIncY1->setText(fromCore(kolvex::FloatText(static_cast<long double>(UpD_IncY1->value()) / 10.0L)));
}

void TfrEinstellung_Grafik::FarbenZeigen() {
  for (int i = 1; i <= kKurven; ++i) plF(i)->setFarbe(GrafikFarben[static_cast<size_t>(i)]);
}

// ---- Settings file -------------------------------------------------------------------------

int32_t TfrEinstellung_Grafik::StandardFarbe(int i) {
  return i >= 1 && i <= kKurven ? kStandardFarben[static_cast<size_t>(i)] : 0;
}

void TfrEinstellung_Grafik::EinstellungLaden(const QString& name) {
  for (int i = 1; i <= kKurven; ++i) GrafikFarben[static_cast<size_t>(i)] = kStandardFarben[static_cast<size_t>(i)];
  QStringList zeilen;
  QString fehler;
  if (!RegulaereDateiExistiert(name)) {
    // A missing file changes only the colours.
  } else if (!readTextLines(name, zeilen, &fehler)) {
    showMessage(QStringLiteral("Die Datei ") + name + QStringLiteral(" konnte nicht gelesen werden.\r") + fehler,
                MessageKind::Warning);
  } else {
    // Lines after the 93rd mean nothing.
    std::vector<std::string> utf8;
    for (qsizetype i = 0; i < std::min<qsizetype>(zeilen.size(), kDateiZeilen); ++i)
      utf8.push_back(zeilen[i].toStdString());
    const kolvex::GrafikEinstellungDaten daten = kolvex::GrafikEinstellungLesen(utf8);
    using D = kolvex::GrafikEinstellungDaten;
    // What the file held up to a fault is taken; the controls after it stay as they are.
    const int n = daten.gelesen;
    for (int i = 1; i <= std::min(n, D::kFarbenBis); ++i)
      GrafikFarben[static_cast<size_t>(i)] = daten.farben[static_cast<size_t>(i)];
    for (int k = 1; k <= std::min(n, D::kTexteBis) - D::kFarbenBis; ++k) {
      TextCombo* combo = k <= 20 ? cbPunkt(k) : k <= 40 ? cbLinie(k - 20) : cbStaerke(k - 40);
      combo->setText(QString::fromStdString(daten.texte[static_cast<size_t>(k)]));
    }
    const std::array<QCheckBox*, 3> schalter = {cpPkt_Verbinden, cbPkt_Farbe, cbPkt_Linie};
    for (int k = 0; k < std::min(n, D::kSchalterBis) - D::kTexteBis; ++k)
      schalter[static_cast<size_t>(k)]->setChecked(daten.schalter[static_cast<size_t>(k)]);
    if (n > D::kSchalterBis) UpD_PktG->setValue(daten.punktGroesse);
    if (n > D::kSchalterBis + 1) UpD_IncY1->setValue(daten.increment);
    if (daten.diagrammPfad) kolvex::DiagrammPfad = *daten.diagrammPfad;
    if (daten.fehlerZeile > 0) {
      QString text = QString::fromStdString(daten.fehlerText);
      if (text.size() > 60) text = text.left(60) + QStringLiteral("…");  // a stray binary file
      const QString grund = daten.fehlt ? QStringLiteral("Die Datei endet vor dieser Zeile.")
                                        : QStringLiteral("\"") + text +
                                              QStringLiteral("\" ist keine ganze Zahl.");
      showMessage(QStringLiteral("Fehler in der Datei ") + name + QStringLiteral(", Zeile ") +
                      QString::number(daten.fehlerZeile) + QStringLiteral(":\r") + grund,
                  MessageKind::Warning);
    }
  }
  FarbenZeigen();
  AnzeigenAktualisieren();
}

QStringList TfrEinstellung_Grafik::EinstellungsZeilen() const {
  QStringList z;
  z.reserve(kDateiZeilen);
  for (int i = 1; i <= 6; ++i) z << QString();
  for (int i = 1; i <= kKurven; ++i) z << QString::number(GrafikFarben[static_cast<size_t>(i)]);
  for (int i = 1; i <= kKurven; ++i) z << cbPunkt(i)->text();
  for (int i = 1; i <= kKurven; ++i) z << cbLinie(i)->text();
  for (int i = 1; i <= kKurven; ++i) z << cbStaerke(i)->text();
  for (QCheckBox* c : {cpPkt_Verbinden, cbPkt_Farbe, cbPkt_Linie})
    z << (c->isChecked() ? QStringLiteral("TRUE") : QStringLiteral("FALSE"));
  z << QString::number(UpD_PktG->value());
  z << QString::number(UpD_IncY1->value());
  z << QString();
  z << QString::fromStdString(kolvex::DiagrammPfad);
  return z;
}

bool TfrEinstellung_Grafik::EinstellungSchreiben(const QString& name) {
  return EintraegeSchreibenMitWarnung(name, EinstellungsZeilen());
}

void TfrEinstellung_Grafik::EinstellungSpeichern(const QString& name) { EinstellungSchreiben(name); }

// ---- Applying to the chart -----------------------------------------------------------------

PointerStyle TfrEinstellung_Grafik::PunktstilAusText(const QString& text) {
  return ChartSeries::pointerStyleFromName(text);
}

Qt::PenStyle TfrEinstellung_Grafik::LinienstilAusText(const QString& text) {
  return ChartSeries::penStyleFromName(text);
}

ChartSeries* TfrEinstellung_Grafik::Serie(int i) const {
  if (!Zieldiagramm) return nullptr;
  const QString name = QStringLiteral("Series") + QString::number(i);
  for (int k = 0; k < Zieldiagramm->seriesCount(); ++k)
    if (Zieldiagramm->series(k)->objectName() == name) return Zieldiagramm->series(k);
  return nullptr;
}

int TfrEinstellung_Grafik::Linienbreite(int i) const {
  const TextCombo* c = cbStaerke(i);
  int32_t breite = 1;
  // Empty, or a text from an edited file that is no number: the thinnest line.
  if (!c || !kolvex::GanzzahlAusZeile(c->text().toStdString(), breite)) return 1;
  return std::clamp(breite, 1, kBreiteMax);
}

Qt::PenStyle TfrEinstellung_Grafik::Linienstil(int i) const {
  const TextCombo* c = cbLinie(i);
  return c ? LinienstilAusText(c->text()) : Qt::SolidLine;
}

void TfrEinstellung_Grafik::LinienZeigen(bool zeigen) {
  for (int i = 1; i <= kKurven; ++i)
    if (ChartSeries* s = Serie(i)) s->setLineVisible(zeigen);
}

void TfrEinstellung_Grafik::EinstellungUebernehmen() {
  incrementY_ = UpD_IncY1->value() / 10.0;
  lbIncY1->setText(fromCore(kolvex::FloatText(static_cast<long double>(UpD_IncY1->value()) / 10.0L)));
  if (!Zieldiagramm) return;
  Zieldiagramm->setLeftIncrement(incrementY_);
  emit IncrementYGeaendert(incrementY_);

  std::array<ChartSeries*, kKurven + 1> serien{};
  for (int i = 1; i <= kKurven; ++i) serien[static_cast<size_t>(i)] = Serie(i);
  const int groesse = UpD_PktG->value();
  for (int i = 1; i <= kKurven; ++i) {
    ChartSeries* s = serien[static_cast<size_t>(i)];
    if (!s) continue;
    // The markers take the colour the curve was drawn in, which a colour picked here only
    // reaches when the curve is drawn again.
    const QColor farbe = s->color();
    s->setPointerStyle(PunktstilAusText(cbPunkt(i)->text()));
    s->setPointerBrush(cbPkt_Farbe->isChecked() ? farbe : QColor(Qt::white));
    s->setPointerPen(cbPkt_Linie->isChecked() ? farbe : QColor(Qt::black));
    if (groesse == 0) {
      s->setPointerVisible(false);
    } else {
      s->setPointerVisible(true);
      s->setPointerSize(groesse);
    }
  }
  LinienZeigen(cpPkt_Verbinden->isChecked());
  for (int i = 1; i <= kKurven; ++i) {
    ChartSeries* s = serien[static_cast<size_t>(i)];
    if (!s) continue;
    s->setLineStyle(Linienstil(i));
    s->setLineWidth(Linienbreite(i));
  }
  Zieldiagramm->refresh();
}

// ---- Colours -------------------------------------------------------------------------------

int32_t TfrEinstellung_Grafik::SilberErsetzen(int32_t farbe) { return kolvex::SilberErsetzen(farbe); }

QStringList TfrEinstellung_Grafik::MemoZeilen() const {
  const QString text = Memo1->toPlainText();
  return text.isEmpty() ? QStringList() : text.split(QLatin1Char('\n'));
}

void TfrEinstellung_Grafik::MemoSetzen(const QStringList& zeilen) {
  Memo1->setPlainText(zeilen.join(QLatin1Char('\n')));
}

void TfrEinstellung_Grafik::FarbenDateiLesen() {
  const QString pfad = ProgrammDatei(QStringLiteral("farben.txx"));
  QStringList zeilen;
  std::array<uint32_t, 16> werte{};
  // As for the main window's colour dialog, "farben.txx" is looked for without the pause of
  // the existence test (start-up makes this read).
  if (QFileInfo(pfad).isFile() && readTextLines(pfad, zeilen)) {
    // Whatever the file holds, the memo gets its 16 well-formed lines: the shift below
    // relies on them.
    werte = FarbZeilenLesen(zeilen);
  } else {
    for (int i = 0; i < 16; ++i)
      werte[static_cast<size_t>(i)] = static_cast<uint32_t>(GrafikFarben[static_cast<size_t>(i + 1)]);
  }
  MemoSetzen(FarbZeilenBauen(werte));
  ColorDialog1.CustomColors = werte;
}

void TfrEinstellung_Grafik::FarbenDateiSchreiben() {
  DateiSchreibenMitWarnung(ProgrammDatei(QStringLiteral("farben.txx")), FarbZeilenBauen(ColorDialog1.CustomColors));
}

void TfrEinstellung_Grafik::FarbeMerken(int farbe) {
  QStringList z = MemoZeilen();
  while (z.size() < 16) z << FarbZeile(static_cast<int>(z.size()), 0);
  while (z.size() > 16) z.removeLast();
  // No search for the colour among the others: the list simply moves down one place.
  for (int i = 15; i >= 1; --i) z[i] = FarbZeile(i, 0).left(6) + z[i - 1].mid(6);
  z[0] = FarbZeile(0, static_cast<uint32_t>(farbe));
  MemoSetzen(z);
  ColorDialog1.CustomColors = FarbZeilenLesen(z);
}

void TfrEinstellung_Grafik::FarbPanelClick(int i) {
  if (i < 1 || i > kKurven) return;
  ColorDialog1.Color = GrafikFarben[static_cast<size_t>(i)];
  const bool gewaehlt = ColorDialog1.Execute(this);
  FarbenDateiSchreiben();
  if (gewaehlt) {
    const int32_t farbe = SilberErsetzen(ColorDialog1.Color);
    ColorDialog1.Color = farbe;
    GrafikFarben[static_cast<size_t>(i)] = farbe;
    FarbenZeigen();
    FarbeMerken(farbe);
  }
  EinstellungUebernehmen();
}

// ---- Other controls ------------------------------------------------------------------------

void TfrEinstellung_Grafik::UpD_PktGClick() {
  lbPkt_G->setText(QString::number(UpD_PktG->value()));
  EinstellungUebernehmen();
}

void TfrEinstellung_Grafik::UpD_IncY1Click() { EinstellungUebernehmen(); }

void TfrEinstellung_Grafik::sbSpeichernClick() {
  if (showMessage(QStringLiteral("Einstellung speichern?"), MessageKind::Information, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;
  // A file that could not be written keeps the dialog open: closing would load the old
  // settings over the user's changes.
  if (EinstellungSchreiben(ProgrammDatei(QString::fromLatin1(GrafikEinstellungsDatei)))) close();
}

void TfrEinstellung_Grafik::sbSpeichern_alsClick() {
  const QString ordner = QString::fromStdString(kolvex::ProgrammPfad);
  QString datei;
  if (SpeichernDialogTestHook) {
    datei = SpeichernDialogTestHook(ordner);
  } else {
    QFileDialog dialog(this, QStringLiteral("Einstellung speichern"), ordner);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("*.ttx (*.ttx *.TTX)"));
    dialog.setDefaultSuffix(QStringLiteral("ttx"));
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
      datei = dialog.selectedFiles().constFirst();
  }
  if (!datei.isEmpty()) EinstellungSpeichern(datei);
}

void TfrEinstellung_Grafik::sbLadenClick() {
  const QString ordner = QString::fromStdString(kolvex::ProgrammPfad);
  const QString datei = LadenDialogTestHook
                            ? LadenDialogTestHook(ordner)
                            : QFileDialog::getOpenFileName(this, QStringLiteral("Einstellung laden"), ordner,
                                                           QStringLiteral("*.ttx (*.ttx *.TTX)"));
  if (datei.isEmpty()) return;
  EinstellungLaden(datei);
  EinstellungUebernehmen();
}

void TfrEinstellung_Grafik::sbLadenStandClick() {
  if (showMessage(QStringLiteral("Einstellung laden?"), MessageKind::Information, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;
  EinstellungLaden(ProgrammDatei(QString::fromLatin1(GrafikEinstellungsDatei)));
}

void TfrEinstellung_Grafik::sbExitClick() { close(); }
