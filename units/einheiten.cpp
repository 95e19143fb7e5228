#include "units/einheiten.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QToolButton>

#include "core/globals.h"
#include "core/routinen.h"
#include "platform/bgr_color.h"
#include "platform/fenster_lage.h"
#include "platform/line_edit.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_file.h"
#include "units/einheiten_edit.h"
#include "engines/units/einheiten_tabellen.h"

TfrEinheiten* frEinheiten = nullptr;

using kolvex::EinheitenErsteAnzeige;
using kolvex::EinheitenKategorie;
using kolvex::EinheitenZeile;

namespace {
constexpr int32_t kFarbeGewaehlt = 0x80FF80;
constexpr int32_t kFarbeTitel = 0xFFEBDF;
constexpr int32_t kSchriftTitel = 0xFF0000;

QString Umrechnungsordner() { return QString::fromStdString(kolvex::UmrechnungPfad); }
}  // namespace

TfrEinheiten::TfrEinheiten(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  herkunft_.resize(2);
  sg->setCellColorHook([this](int col, int row, QColor& hintergrund, QColor& schrift) {
    sgDrawCell(col, row, hintergrund, schrift);
  });
  connect(sg, &StringGrid::currentCellChanged, this, [this](int, int row) { ZeileGewechselt(row); });
  // A click on the row that is already chosen computes again too (after a change of
  // category or Invers the shown result may stem from another factor).
  sg->viewport()->installEventFilter(this);
  connect(sg, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
    const int row = sg->gridRow(index);
    if (!aufbau_ && row >= 1 && row == zeileVorDruck_ && row == gewaehlteZeile_) sgClick();
  });
  connect(cb1, &QComboBox::activated, this, [this](int) { cb1Click(); });
  connect(cbInvers, &QCheckBox::clicked, this, [this](bool) { cbInversClick(); });
  connect(sbEdit, &QToolButton::clicked, this, [this] { sbEditClick(); });
}

TfrEinheiten::~TfrEinheiten() {
  // The grid outlives this part of the window while Qt tears it down; it must not call back.
  sg->viewport()->removeEventFilter(this);
  sg->setCellColorHook({});
  sg->disconnect(this);
  if (frEinheiten == this) frEinheiten = nullptr;
}

void TfrEinheiten::FormCreate() {
  resize(width(), 200);
  cb1->setCurrentIndex(0);
}

void TfrEinheiten::FormActivate() {
  KategorienEinlesen();
  plTop->show();
  sg->show();
  QWidget* haupt = Umgebung ? Umgebung->Hauptfenster() : nullptr;
  if (EinheitenErsteAnzeige && haupt) {
    // Directly below the main window, as wide as it.
    const QRect rahmen = RahmenRechteck(haupt);
    resize(haupt->width(), height());
    // With the main window low on the screen the window is lifted as far as needed
    // (covering part of the main window) instead of landing below the screen's edge.
    FensterPlatzieren(this, QPoint(rahmen.left(), rahmen.bottom() + 1));
  }
  EinheitenErsteAnzeige = false;
  const int index = EinheitenKategorie >= 0 && EinheitenKategorie < cb1->count() ? EinheitenKategorie : -1;
  cb1->setCurrentIndex(index);
  TabelleAufbauen(index >= 0 ? cb1->itemText(index) : QString());
  ZeilenNummerieren();
  if (EinheitenZeile > sg->RowCount() - 1) EinheitenZeile = sg->RowCount() - 1;
  if (EinheitenZeile < 1) EinheitenZeile = 1;
  sg->setRow(EinheitenZeile);
}

void TfrEinheiten::FormClose(bool& accept) {
  (void)accept;
  if (Umgebung) Umgebung->EinheitenGeschlossen();
  EinheitenKategorie = cb1->currentIndex();
  EinheitenZeile = sg->Row();
}

// ---- Table -----------------------------------------------------------------------------------

void TfrEinheiten::TabelleAufbauen(const QString& kategorie) {
  // The rebuild keeps the selected row where it can; only a real change of row recalculates.
  const bool hatteZeile = sg->currentIndex().isValid();
  const int alteZeile = sg->Row();
  aufbau_ = true;
  const bool invers = cbInvers->isChecked();
  TabelleLeeren();
  if (const einheiten::EingebauteTabelle* t = einheiten::EingebauteTabelleSuchen(kategorie.toStdString())) {
    const int n = static_cast<int>(t->zeilen.size());
    sg->setRowCount(n + 1);
    herkunft_.assign(static_cast<size_t>(n + 1), Herkunft{});
    const char* pfeil = invers ? "<---" : "--->";
    for (int r = 1; r <= n; ++r) {
      const einheiten::TabellenZeile& z = t->zeilen[static_cast<size_t>(r - 1)];
      if (z.istTitel()) {
        sg->setCells(1, r, QString::fromUtf8(z.von));
      } else {
        sg->setCells(1, r, QString::fromUtf8(z.von) + QLatin1String(pfeil) + QString::fromUtf8(z.nach));
        sg->setCells(2, r, QString::fromStdString(einheiten::EingebauterFaktorText(z.faktor, invers)));
      }
    }
  }
  DateiLaden(cb1->currentText());
  if (EinheitenZeile > sg->RowCount() - 1) EinheitenZeile = sg->RowCount() - 1;
  ZeilenNummerieren();
  if (hatteZeile) sg->setRow(qMin(alteZeile, sg->RowCount() - 1));
  gewaehlteZeile_ = sg->Row();
  aufbau_ = false;
  // A factor reads whole where the window has room (0,333333333333333 needs more than 80 px).
  sg->fitColumnToTexts(2);
  sg->viewport()->update();
}

void TfrEinheiten::TabelleLeeren() {
  for (int r = 1; r < sg->RowCount(); ++r)
    for (int c = 1; c < sg->ColCount(); ++c) sg->setCells(c, r, QString());
  sg->setRowCount(2);
  herkunft_.assign(2, Herkunft{});
}

void TfrEinheiten::ZeilenNummerieren() {
  int n = 0;
  for (int r = 1; r < sg->RowCount(); ++r) {
    if (sg->Cells(2, r).isEmpty()) {
      sg->setCells(0, r, QString());
    } else {
      sg->setCells(0, r, QString::number(++n));
    }
  }
}

// ---- Category files ----------------------------------------------------------------------

QString TfrEinheiten::KategorieDatei(const QString& kategorie) {
  const QString ordner = Umrechnungsordner();
  const QString genau = ordner + kategorie + QStringLiteral(".txt");
  if (QFileInfo(genau).isFile()) return genau;
  // The same name with ".TXT", ".Txt", ...
  const QDir dir(ordner);
  if (!dir.exists()) return {};
  const std::string gesucht = kategorie.toStdString();
  for (const QString& eintrag : dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
    std::string name;
    if (einheiten::KategorieAusDateiName(eintrag.toStdString(), name) && name == gesucht)
      return dir.filePath(eintrag);
  }
  return {};
}

bool TfrEinheiten::KategorieDateiLesen(const QString& pfad, einheiten::Kategorie& kategorie) {
  QStringList zeilen;
  if (!readTextLines(pfad, zeilen)) return false;
  std::vector<std::string> texte;
  texte.reserve(static_cast<size_t>(zeilen.size()));
  for (const QString& z : zeilen) texte.push_back(z.toStdString());
  kategorie = einheiten::KategorieLesen(texte);
  return true;
}

int TfrEinheiten::DateiLaden(const QString& kategorie) {
  QString pfad = KategorieDatei(kategorie);
  // The file test with its pause, as every file test of the program makes it.
  const QString getestet = pfad.isEmpty() ? Umrechnungsordner() + kategorie + QStringLiteral(".txt") : pfad;
  if (!DateiExistiert(getestet)) pfad.clear();
  if (pfad.isEmpty()) return 0;
  einheiten::Kategorie k;
  if (!KategorieDateiLesen(pfad, k)) return 0;
  DateiZeilenEintragen(k);
  return k.paare;
}

void TfrEinheiten::DateiZeilenEintragen(const einheiten::Kategorie& kategorie) {
  const bool invers = cbInvers->isChecked();
  const int n = static_cast<int>(kategorie.zeilen.size());
  sg->setRowCount(qMax(n + 1, 2));
  herkunft_.assign(static_cast<size_t>(qMax(n + 1, 2)), Herkunft{});
  for (int r = 1; r <= n; ++r) {
    const einheiten::DateiZeile& z = kategorie.zeilen[static_cast<size_t>(r - 1)];
    sg->setCells(1, r, QString::fromStdString(einheiten::PaarText(z, invers)));
    sg->setCells(2, r, QString::fromStdString(einheiten::FaktorText(z, invers)));
    herkunft_[static_cast<size_t>(r)] = Herkunft{true, z};
  }
}

void TfrEinheiten::KategorieEinfuegen(const QString& name) {
  QCollator collator(QLocale(QLocale::German, QLocale::Germany));
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  int i = 0;
  while (i < cb1->count() && collator.compare(cb1->itemText(i), name) <= 0) ++i;
  cb1->insertItem(i, name);
}

void TfrEinheiten::KategorienEinlesen() {
  const QDir dir(Umrechnungsordner());
  if (Umrechnungsordner().isEmpty() || !dir.exists()) return;
  const QStringList eintraege = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  bool geaendert = false;
  for (const QString& eintrag : eintraege) {
    std::string kategorie;
    if (!einheiten::KategorieAusDateiName(eintrag.toStdString(), kategorie)) continue;
    const QString name = QString::fromStdString(kategorie);
    int index = -1;
    for (int i = 0; i < cb1->count(); ++i)
      if (cb1->itemText(i) == name) index = i;
    // The entry under its real name, whatever the letter case of its extension.
    const QString pfad = dir.filePath(eintrag);
    if (!DateiExistiert(pfad)) continue;
    einheiten::Kategorie k;
    // A file that can't be read says nothing about its category: it is neither added nor
    // removed.
    if (!KategorieDateiLesen(pfad, k)) continue;
    if (index < 0 && k.paare > 0) {
      KategorieEinfuegen(name);
      geaendert = true;
    } else if (index >= 0 && k.paare == 0) {
      cb1->removeItem(index);
      geaendert = true;
    }
  }
  if (geaendert) cb1->update();
}

void TfrEinheiten::EditorFuellen() {
  TfrEinheiten_Edit* e = frEinheiten_Edit;
  if (!e) return;
  const bool invers = cbInvers->isChecked();
  StringGrid* sge = e->sge;
  sge->setRowCount(sg->RowCount() + 1);
  for (int r = 1; r < sge->RowCount(); ++r)
    for (int c = 0; c < sge->ColCount(); ++c) sge->setCells(c, r, QString());
  for (int r = 1; r < sg->RowCount(); ++r) {
    const QString faktor = sg->Cells(2, r).remove(QLatin1Char(' '));
    QString einheit1, einheit2;
    const Herkunft& h = static_cast<size_t>(r) < herkunft_.size() ? herkunft_[static_cast<size_t>(r)] : Herkunft{};
    if (h.ausDatei) {
      // The names as read: a "-", "<" or ">" in a name survives; with Invers the pair is
      // handed over the way it is shown, reversed with its reciprocal.
      const bool tauschen = invers && h.feld.istPaar();
      einheit1 = QString::fromStdString(tauschen ? h.feld.einheit2 : h.feld.einheit1);
      einheit2 = QString::fromStdString(tauschen ? h.feld.einheit1 : h.feld.einheit2);
    } else {
      const std::string t = sg->Cells(1, r).toStdString();
      einheit1 = QString::fromStdString(kolvex::TeilAmStrich(t, invers));
      einheit2 = QString::fromStdString(kolvex::TeilAnSpitze(t, invers));
      if (faktor.isEmpty()) einheit2.clear();
    }
    sge->setCells(0, r, QString::number(r));
    sge->setCells(1, r, einheit1);
    sge->setCells(2, r, einheit2);
    sge->setCells(3, r, faktor);
  }
  setTextFromStart(e->Edit1, cb1->currentText());
  // Also when it held the name already, with the caret at the end of what was typed there.
  e->Edit1->setCursorPosition(0);
  if (EinheitenZeile >= 1 && EinheitenZeile < sge->RowCount()) sge->setRow(EinheitenZeile);
}

// ---- Handlers ------------------------------------------------------------------------------

void TfrEinheiten::cb1Click() {
  TabelleAufbauen(cb1->currentText());
  EinheitenKategorie = cb1->currentIndex();
}

void TfrEinheiten::cbInversClick() {
  TabelleAufbauen(cb1->currentText());
  sg->setRow(EinheitenZeile);
}

void TfrEinheiten::ZeileGewechselt(int row) {
  if (aufbau_ || row == gewaehlteZeile_) return;
  gewaehlteZeile_ = row;
  sgClick();
}

bool TfrEinheiten::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sg->viewport() && event->type() == QEvent::MouseButtonPress) zeileVorDruck_ = gewaehlteZeile_;
  return Form::eventFilter(watched, event);
}

void TfrEinheiten::sgClick() {
  sg->viewport()->update();
  if (!Umgebung || !Umgebung->ErgebnisNeuBerechnen()) return;
  EinheitenZeile = sg->Row();
}

void TfrEinheiten::sbEditClick() {
  QWidget* haupt = Umgebung ? Umgebung->Hauptfenster() : nullptr;
  if (haupt) haupt->hide();
  EditorFuellen();
  if (frEinheiten_Edit) frEinheiten_Edit->sge->viewport()->update();
  hide();
  if (frEinheiten_Edit) frEinheiten_Edit->ShowModal();
  if (haupt) haupt->show();
  show();
  // Its activation brings the saved category in.
  raise();
  activateWindow();
}

void TfrEinheiten::sgDrawCell(int col, int row, QColor& hintergrund, QColor& schrift) const {
  if (col < 1 || row < 1) {
    hintergrund = colorFromBgr(kFarbeTitel);
    return;
  }
  if (row == sg->Row()) {
    hintergrund = colorFromBgr(kFarbeGewaehlt);
    schrift = Qt::black;
  }
  if (sg->Cells(2, row).isEmpty()) {
    hintergrund = colorFromBgr(kFarbeTitel);
    schrift = colorFromBgr(kSchriftTitel);
  }
}
