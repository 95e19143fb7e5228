#include "platform/farben.h"

#include "platform/bgr_color.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QPalette>

#include "core/globals.h"
#include "platform/programm_dateien.h"
#include "platform/text_file.h"

namespace {

KolvexFarbDialog::TestHook& testHook() {
  static KolvexFarbDialog::TestHook hook;
  return hook;
}

QString farbDateiPfad() { return ImProgrammOrdner(QStringLiteral("farben.txx")); }

// Parses exactly 8 hexadecimal digits; anything else is not a colour.
bool hexLesen(const QString& text, uint32_t& wert) {
  if (text.size() != 8) return false;
  uint32_t v = 0;
  for (QChar c : text) {
    const char16_t u = c.unicode();
    uint32_t d;
    if (u >= '0' && u <= '9') d = u - '0';
    else if (u >= 'A' && u <= 'F') d = u - 'A' + 10;
    else if (u >= 'a' && u <= 'f') d = u - 'a' + 10;
    else return false;
    v = (v << 4) | d;
  }
  wert = v;
  return true;
}

}  // namespace

// ---- Colour values ----------------------------------------------------------------------

QColor FarbeZuQColor(int32_t farbe) {
  const auto v = static_cast<uint32_t>(farbe);
  if (v & 0x80000000u) {
    // A system colour reference (older settings files): button face is the one the
    // program itself hands out; anything else is shown as the window background.
    const QPalette pal = QApplication::palette();
    return (v & 0xFFu) == 0x0Fu ? pal.color(QPalette::Button) : pal.color(QPalette::Window);
  }
  return colorFromBgr(farbe);
}

int32_t QColorZuFarbe(const QColor& farbe) { return colorToBgr(farbe); }

int32_t ButtonFaceFarbe() { return QColorZuFarbe(QApplication::palette().color(QPalette::Button)); }

// ---- "farben.txx" lines -----------------------------------------------------------------

QString FarbZeile(int index, uint32_t wert) {
  return QStringLiteral("Color") + QChar(u'A' + index) + QLatin1Char('=') +
         QStringLiteral("%1").arg(wert, 8, 16, QLatin1Char('0')).toUpper();
}

std::array<uint32_t, 16> FarbZeilenLesen(const QStringList& zeilen) {
  std::array<uint32_t, 16> werte{};
  std::array<bool, 16> gesehen{};
  for (const QString& zeile : zeilen) {
    const QString z = zeile.trimmed();
    if (z.size() < 7 || !z.startsWith(QLatin1String("Color")) || z[6] != u'=') continue;
    const char16_t buchstabe = z[5].toUpper().unicode();
    if (buchstabe < u'A' || buchstabe > u'P') continue;
    const int i = buchstabe - u'A';
    if (gesehen[static_cast<size_t>(i)]) continue;  // the first line of a letter counts
    gesehen[static_cast<size_t>(i)] = true;
    uint32_t wert = 0;
    if (hexLesen(z.mid(7), wert)) werte[static_cast<size_t>(i)] = wert;
  }
  return werte;
}

QStringList FarbZeilenBauen(const std::array<uint32_t, 16>& werte) {
  QStringList zeilen;
  for (int i = 0; i < 16; ++i) zeilen << FarbZeile(i, werte[static_cast<size_t>(i)]);
  return zeilen;
}

// ---- The colour dialog ------------------------------------------------------------------

int KolvexFarbDialog::QtIndex(int buchstabe) {
  // Qt counts its 2 x 8 custom colour wells column by column.
  return (buchstabe / 8) + (buchstabe % 8) * 2;
}

void KolvexFarbDialog::setTestHook(TestHook hook) { testHook() = std::move(hook); }

bool KolvexFarbDialog::Execute(QWidget* parent) {
  for (int i = 0; i < 16; ++i)
    QColorDialog::setCustomColor(QtIndex(i), FarbeZuQColor(static_cast<int32_t>(CustomColors[static_cast<size_t>(i)])));
  if (testHook()) return testHook()(*this);

  QColorDialog dialog(FarbeZuQColor(Color), parent);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  const bool ok = dialog.exec() == QDialog::Accepted;
  // The user may have added custom colours in the dialog; they belong to this dialog.
  for (int i = 0; i < 16; ++i)
    CustomColors[static_cast<size_t>(i)] = static_cast<uint32_t>(QColorZuFarbe(QColorDialog::customColor(QtIndex(i))));
  if (ok) Color = QColorZuFarbe(dialog.selectedColor());
  return ok;
}

KolvexFarbDialog& FarbDialog() {
  static KolvexFarbDialog dialog;
  return dialog;
}

QStringList& FarbArbeitsKopie() {
  static QStringList zeilen;
  return zeilen;
}

// ---- Loading and remembering ------------------------------------------------------------

void FarbenLaden() {
  QStringList& kopie = FarbArbeitsKopie();
  QStringList zeilen;
  const QString pfad = farbDateiPfad();
  if (QFileInfo(pfad).isFile() && readTextLines(pfad, zeilen)) {
    kopie = FarbZeilenBauen(FarbZeilenLesen(zeilen));
  } else {
    std::array<uint32_t, 16> werte{};
    for (int i = 0; i < 8; ++i) werte[static_cast<size_t>(8 + i)] = static_cast<uint32_t>(kolvex::GrafikFarben[static_cast<size_t>(1 + i)]);
    kopie = FarbZeilenBauen(werte);
  }
  FarbDialog().CustomColors = FarbZeilenLesen(kopie);
}

int32_t FarbeMerken(int32_t farbe) {
  farbe = kolvex::SilberErsetzen(farbe);
  QStringList& zeilen = FarbArbeitsKopie();
  if (zeilen.size() != 16) FarbenLaden();
  const QString neu = FarbZeile(0, static_cast<uint32_t>(farbe));
  if (neu != zeilen[0]) {
    // Most recently used first within A..H; a colour already there moves up, I..P stay.
    int k = 7;
    for (int i = 1; i <= 7; ++i) {
      if (zeilen[i].mid(6) == neu.mid(6)) {
        k = i;
        break;
      }
    }
    for (int j = k; j >= 1; --j) zeilen[j] = FarbZeile(j, 0).left(6) + zeilen[j - 1].mid(6);
    zeilen[0] = neu;
    FarbDialog().CustomColors = FarbZeilenLesen(zeilen);
    DateiSchreibenMitWarnung(farbDateiPfad(), zeilen);
    FarbenLaden();
  }
  return farbe == kolvex::FarbeSilberErsatz ? ButtonFaceFarbe() : farbe;
}

bool FarbeWaehlen(int32_t start, int32_t& farbe, QWidget* parent) {
  KolvexFarbDialog& dialog = FarbDialog();
  dialog.Color = start;
  if (!dialog.Execute(parent)) return false;
  farbe = FarbeMerken(dialog.Color);
  dialog.Color = farbe;
  return true;
}
