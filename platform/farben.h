#pragma once
// Colours of the framework (32-bit values, red in the low byte: 0x00BBGGRR) and the one
// colour dialog of the program, whose 16 custom colours persist in "farben.txx":
// lines "ColorA=" .. "ColorP=" with 8 upper-case hexadecimal digits, A..H the top row.
#include <QColor>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

#include "core/farbwerte.h"

class QWidget;

// ---- Colour values (the silver rule: core/farbwerte.h) -----------------------------------
QColor FarbeZuQColor(int32_t farbe);
int32_t QColorZuFarbe(const QColor& farbe);
// The system's button-face colour as a colour value (the standard window background).
int32_t ButtonFaceFarbe();

// ---- "farben.txx" lines -----------------------------------------------------------------
// "Color" + letter (index 0 = A .. 15 = P) + "=" + 8 upper-case hexadecimal digits.
QString FarbZeile(int index, uint32_t wert);
// Reads the 16 values by their letters; a missing, repeated-late or unreadable entry is 0.
std::array<uint32_t, 16> FarbZeilenLesen(const QStringList& zeilen);
QStringList FarbZeilenBauen(const std::array<uint32_t, 16>& werte);

// ---- The colour dialog ------------------------------------------------------------------
class KolvexFarbDialog {
 public:
  int32_t Color = 0;                       // start colour, and the choice after OK
  std::array<uint32_t, 16> CustomColors{};  // A..P

  // Shows the dialog with this dialog's custom colours; true on OK. The custom colours of
  // Qt's colour dialog are shared by the whole process, so they are set before every
  // opening and read back afterwards.
  bool Execute(QWidget* parent = nullptr);

  // Index in Qt's custom colour list of letter index 0..15 (A..H top row, I..P bottom row).
  static int QtIndex(int buchstabe);

  // Test hook: while set, Execute calls it instead of showing the dialog; it may change
  // Color and returns whether the dialog was confirmed.
  using TestHook = std::function<bool(KolvexFarbDialog& dialog)>;
  static void setTestHook(TestHook hook);
};

// The core window's colour dialog (frKolvex->ColorDialog1).
KolvexFarbDialog& FarbDialog();

// The working copy of the 16 lines (the core window's memo), line 0 = A .. 15 = P.
QStringList& FarbArbeitsKopie();

// Loads ProgrammPfad + "farben.txx" into the dialog's custom colours and the working copy;
// without the file: A..H black, I..P the curve colours 1..8 (nothing is written).
void FarbenLaden();
// Puts a picked colour at the front of the custom colours (most recently used within
// A..H), saves the file and returns the colour to use (silver becomes the button face).
int32_t FarbeMerken(int32_t farbe);

// Picks a colour with the one dialog, starting from start: on OK the choice goes through
// FarbeMerken and the result is returned in farbe. The entry point for every colour choice
// of the calculator window and the settings dialog.
bool FarbeWaehlen(int32_t start, int32_t& farbe, QWidget* parent = nullptr);
