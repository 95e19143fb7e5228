#pragma once
// The measurement import's hidden container TfrDiaDem: the header lines (lbHead), its
// comment lines (Memo1, Memo2), the staging table sgh, and the routines that read a
// measurement header and its data file into the data graph. Never shown, so no widget.
//
// The parsing, decoding and table building are pure code (engines/import/kopf.h, engines/import/daten.h);
// this class reads the files, shows the messages and moves the built columns into the
// data graph's value table without copying them.
#include <QString>
#include <string>
#include <vector>

#include "datagraph/value_table.h"
#include "engines/import/daten.h"
#include "engines/import/kopf.h"

class TfrDiaDem {
 public:
  TfrDiaDem() = default;
  ~TfrDiaDem();
  TfrDiaDem(const TfrDiaDem&) = delete;
  TfrDiaDem& operator=(const TfrDiaDem&) = delete;

  // Made like every window; a container has nothing to set up.
  void FormCreate() {}

  // ---- Containers --------------------------------------------------------------------------
  std::vector<std::string> lbHead;  // header lines (UTF-8), control characters removed
  bool lbHeadWin1252 = false;       // the header was not UTF-8 and was read as Windows-1252
  std::vector<std::string> Memo1;   // comment lines
  std::vector<std::string> Memo2;   // ".DAT" code 106 lines
  ValueTable sgh;                   // staging table
  bool ByteTausch = true;           // ".R64" records are byte-reversed

  // ---- Header ------------------------------------------------------------------------------
  // Reads the header file into lbHead. False only when the file exists but cannot be read
  // (message shown); a missing file shows name + " nicht gefunden" and leaves lbHead empty.
  bool HeaderLaden(const QString& name);
  void DATHeaderLesen(QString& typ, QString& anzahl);
  void TDMHeaderLesen(QString& typ, QString& anzahl);
  kolvex::KanalStatistik KanalMinMax(const QString& name) const;
  void ByteFolgeBestimmen();

  // ---- Data --------------------------------------------------------------------------------
  static QString DatenEndung(const QString& typ);
  // The data file of a header: the name before its last "." with the type's extension.
  static QString DatenDateiName(const QString& headerName, const QString& typ);
  // That file, or one of its folder whose name equals it but for letter case; "" if none.
  static QString DatenDateiSuchen(const QString& name);
  double WertWandeln(const unsigned char* bytes) const { return kolvex::WertWandeln(bytes, ByteTausch); }
  // Reads the data file: true when the table still has to be built from Messwerte (also
  // when nothing could be read: the table then shows its header row only), false when the
  // chosen channels went straight into the data graph's sg1.
  bool DatenLesen(const QString& headerName, const QString& typ);
  // Readers (the data file's name, its record type). Errors reach DatenLesen.
  kolvex::LeseStand AlleKanaeleLesen(const QString& datei, kolvex::Satzart art);
  kolvex::LeseStand GewaehlteKanaeleLesen(const QString& datei, kolvex::Satzart art);

  // ---- Tables ------------------------------------------------------------------------------
  void TabelleAufbauen(ValueTable& grid, const QString& typ);
  static void NrSpalteEinfuegen(ValueTable& grid);
  static void TabelleKomprimieren(ValueTable& grid);
  // The target takes the source's size and cells (moved; the source is left empty).
  static void GridKopieren(ValueTable& quelle, ValueTable& ziel);
  static void GridLoeschen(ValueTable& grid);

  // ---- The data graph's measurement loader -------------------------------------------------
  void DiaDemDateiLaden(const QString& name);

  // Test hooks: reading options (ESC block, memory failure) and a display in place of the
  // data graph's bar (nullptr: the data graph's window).
  static inline kolvex::LeseOptionen Optionen;
  // ESC is asked for from this many milliseconds into a reading on (tests: 0).
  static inline int EscAbMs = 100;
  static inline kolvex::LeseAnzeige* AnzeigeTestHook = nullptr;

 private:
  void Meldungen(const std::vector<std::string>& texte);
};

extern TfrDiaDem* frDiaDem;
