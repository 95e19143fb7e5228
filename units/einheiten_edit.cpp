#include "units/einheiten_edit.h"

#include <QChildEvent>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "core/globals.h"
#include "core/tastenfilter.h"
#include "platform/bgr_color.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_file.h"
#include "units/einheiten.h"
#include "engines/units/einheiten_datei.h"

TfrEinheiten_Edit* frEinheiten_Edit = nullptr;

TfrEinheiten_Edit::TfrEinheiten_Edit(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  sge->setCellColorHook([this](int col, int row, QColor& hintergrund, QColor& schrift) {
    sgeDrawCell(col, row, hintergrund, schrift);
  });
  // The factor column takes numbers only, with the decimal comma ("." becomes ",").
  sge->setKeyFilter(3, [](const std::string& text, char taste, int) {
    return kolvex::ZahlTasteFiltern(text, taste, ',');
  });
  connect(sge, &StringGrid::currentCellChanged, this, [this](int, int) { sge->viewport()->update(); });
  connect(sbSpeichern, &QToolButton::clicked, this, [this] { sbSpeichernClick(); });
  connect(sbExit, &QToolButton::clicked, this, [this] { sbExitClick(); });
  connect(Edit1, &QLineEdit::textChanged, this, [this] { sbSpeichernMouseMove(); });
  sge->installEventFilter(this);
  sge->viewport()->installEventFilter(this);
}

TfrEinheiten_Edit::~TfrEinheiten_Edit() {
  // The grid outlives this part of the window while Qt tears it down; it must not call back.
  sge->setCellColorHook({});
  sge->disconnect(this);
  sge->removeEventFilter(this);
  sge->viewport()->removeEventFilter(this);
  if (frEinheiten_Edit == this) frEinheiten_Edit = nullptr;
}

void TfrEinheiten_Edit::FormCreate() { resize(width(), 400); }

void TfrEinheiten_Edit::FormShow() { sbSpeichernMouseMove(); }

void TfrEinheiten_Edit::FormActivate() { sge->setFocus(); }

bool TfrEinheiten_Edit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::ChildAdded && watched == sge->viewport()) {
    // An in-place editor was opened: Enter there moves on as in the grid.
    auto* kind = static_cast<QChildEvent*>(event)->child();
    if (kind && kind->isWidgetType()) kind->installEventFilter(this);
  } else if (event->type() == QEvent::KeyPress) {
    auto* taste = static_cast<QKeyEvent*>(event);
    if (taste->key() == Qt::Key_Return || taste->key() == Qt::Key_Enter) {
      sgeKeyPress(QChar(13));
      return true;
    }
  }
  return Form::eventFilter(watched, event);
}

// ---- Grid ----------------------------------------------------------------------------------

bool TfrEinheiten_Edit::ZeileLeer(int row) const {
  for (int c = 1; c <= 3; ++c)
    if (!sge->Cells(c, row).remove(QLatin1Char(' ')).isEmpty()) return false;
  return true;
}

void TfrEinheiten_Edit::sgeKeyPress(QChar taste) {
  if (taste != QChar(13)) return;
  const int col = sge->Col(), row = sge->Row();
  const int letzteSpalte = sge->ColCount() - 1;
  QModelIndex ziel;
  if (col < letzteSpalte) {
    ziel = sge->indexOf(col + 1, row);
  } else if (row < sge->RowCount() - 1) {
    ziel = sge->indexOf(1, row + 1);
  } else if (ZeileLeer(row)) {
    ziel = sge->indexOf(1, row);
  } else {
    sge->setRowCount(sge->RowCount() + 1);
    ziel = sge->indexOf(1, row + 1);
  }
  // Moving the current cell also closes an open in-place editor (its text is in the cell
  // already).
  if (ziel.isValid()) {
    sge->setCurrentIndex(ziel);
    sge->scrollTo(ziel);
  }
}

void TfrEinheiten_Edit::sgeDrawCell(int col, int row, QColor& hintergrund, QColor& schrift) const {
  if (col < 1 || row < 1) {
    hintergrund = colorFromBgr(0xFFEBDF);
    return;
  }
  if (row == sge->Row()) {
    hintergrund = colorFromBgr(0x80FF80);
    schrift = Qt::black;
  }
  if (!sge->Cells(1, row).isEmpty() && sge->Cells(2, row).isEmpty()) {
    hintergrund = colorFromBgr(0xFFEBDF);
    schrift = colorFromBgr(0xFF0000);
  }
}

// ---- File --------------------------------------------------------------------------------

bool TfrEinheiten_Edit::DateiSchreiben(const QString& pfad, QString* fehler) {
  QStringList zeilen;
  for (int r = 1; r < sge->RowCount(); ++r) {
    const std::string zeile = einheiten::DateiZeileText(
        sge->Cells(1, r).toStdString(), sge->Cells(2, r).toStdString(), sge->Cells(3, r).toStdString());
    if (!zeile.empty()) zeilen << QString::fromStdString(zeile);
  }
  return writeTextLines(pfad, zeilen, fehler);
}

void TfrEinheiten_Edit::sbSpeichernMouseMove() {
  sbSpeichern->setToolTip(QStringLiteral("Speichern in ") + Edit1->text() +
                          QStringLiteral(".txt und Fenster schließen"));
}

QString TfrEinheiten_Edit::NamensFehler(const QString& name) {
  // The name becomes a file name inside the unit folder and nothing else: no empty file
  // ".txt", no sub-folder, no way out of the folder.
  const QString kopf = QStringLiteral("Ungültiger Name: ");
  if (name.trimmed().isEmpty()) return kopf + QStringLiteral("Der Name der Kategorie ist leer.");
  for (const QChar zeichen : {QLatin1Char('/'), QLatin1Char('\\')})
    if (name.contains(zeichen))
      return kopf + QStringLiteral("\"") + name + QStringLiteral("\" darf kein \"") + zeichen +
             QStringLiteral("\" enthalten.");
  if (name == QStringLiteral(".") || name == QStringLiteral(".."))
    return kopf + QStringLiteral("\"") + name + QStringLiteral("\" ist kein Dateiname.");
  return {};
}

void TfrEinheiten_Edit::sbSpeichernClick() {
  const QString name = Edit1->text();
  if (const QString fehler = NamensFehler(name); !fehler.isEmpty()) {
    showMessage(fehler, MessageKind::Warning);
    Edit1->setFocus();
    return;
  }
  const QString ordner = QString::fromStdString(kolvex::UmrechnungPfad);
  // An existing file of the category is overwritten under its real name (".TXT" too).
  QString pfad = TfrEinheiten::KategorieDatei(name);
  const QString neu = ordner + name + QStringLiteral(".txt");
  const bool vorhanden = DateiExistiert(pfad.isEmpty() ? neu : pfad);
  if (pfad.isEmpty()) pfad = neu;
  const QString frage = vorhanden ? name + QStringLiteral(".txt") + QStringLiteral(" überschreiben?")
                                  : name + QStringLiteral(" speichern?");
  if (showMessage(frage, MessageKind::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) return;
  // Without its folder nothing can be saved; the editor stays open.
  if (ordner.isEmpty() || (!QDir(ordner).exists() && !QDir().mkpath(ordner))) return;
  QString fehler;
  if (!DateiSchreiben(pfad, &fehler)) {
    showMessage(saveFailedText(pfad, fehler), MessageKind::Warning);
    return;
  }
  kolvex::EinheitenZeile = sge->Row();
  if (frEinheiten) {
    frEinheiten->KategorienEinlesen();
    kolvex::EinheitenKategorie = ListenIndex(frEinheiten->cb1, name);
  }
  close();
}

void TfrEinheiten_Edit::sbExitClick() { close(); }
