#pragma once
// The only way the core reaches windows. The main window installs an implementation;
// without one (core tests, tools) every call is a quiet no-op.
#include <string>

namespace kolvex {

enum class MeldungsArt { Warnung, Information, Frage };
enum class MeldungsKnoepfe { Ok, JaNein };
enum class Antwort { Ok, Ja, Nein };

class KernFenster {
 public:
  virtual ~KernFenster() = default;
  // Main window: clear the label lbESC and the result field edErgebnis.
  virtual void lbESCLeeren() {}
  virtual void edErgebnisLeeren() {}
  // Main window: reset the keypad's pressed colours.
  virtual void TastenFarbeZuruecksetzen() {}
  // Main window: put the caret of ed1 (SelStart semantics: characters before the caret).
  virtual void ed1CaretSetzen(int /*selStart*/) {}
  // Main window: the radio button rbRad is checked (angles in radians).
  virtual bool RadModus() { return false; }
  // Values table sgK: number of rows (53 once it exists) and a cell by (column, row).
  virtual int WerteZeilenAnzahl() { return 0; }
  virtual std::string WerteZelle(int /*spalte*/, int /*zeile*/) { return {}; }
  // The program's one message dialog; text is core text (Latin-1, 0xB6 = pi, CR = line break).
  virtual Antwort Meldung(const std::string& /*text*/, MeldungsArt, MeldungsKnoepfe) {
    return Antwort::Ok;
  }
  // ESC pressed since the current long operation began (cheap to call often).
  virtual bool EscGedrueckt() { return false; }
};

// Installs the implementation (nullptr restores the quiet default). Not owned.
void KernFensterSetzen(KernFenster* fenster);
KernFenster& Fenster();

}  // namespace kolvex
