#pragma once
// The main settings file "einstKolvex.frb" in the program folder: 92 lines, one value per
// line. The loader sets every setting to its default, then reads the file group by group;
// the writer takes most lines from the controls that show them (settings dialog, function
// graph, formula list, main window), so a value reaches the file through its control.
//
// Strings that are not formulas (file and folder names, channel names, scale and title
// texts) are kept in the globals as UTF-8; the last formula (line 92) goes straight into the
// main window's entry field.
#include <QString>
#include <QStringList>

// Name of the file inside ProgrammPfad.
inline constexpr const char* EinstellungsDateiName = "einstKolvex.frb";

// Set by the loader when the file is missing, cleared when it is found; while set the three
// copy routines below leave the dialog's combos as they are.
extern bool EinstellungsDateiFehlt;

void EinstellungenLaden();
// Writes all 92 lines atomically; on failure the old file stays and a warning shows the
// system's error text. Returns whether the file was written.
bool EinstellungenSpeichern();

// Copy the style tables (entries 1..10) into the settings dialog's combos cb1..cb10,
// cbL1..cbL10 and cbS1..cbS10.
void PunktArtenAnzeigen();
void LinienArtenAnzeigen();
void StaerkenAnzeigen();

// A later window resets the curve colours at its creation; once every window exists the
// colours read from lines 8-17 are put back (only when the last load got that far).
void KurvenFarbenWiederherstellen();

// The 92 entries the writer would write now, one a line (also used by the tests).
QStringList EinstellungsZeilen();

// Installs the loader and writer above as the windows' Einstellungsdatei
// (platform/einstellungsdatei.h); removes it again with an argument of false.
void EinstellungsdateiInstallieren(bool an = true);

// Puts every settings global back to its value at program start (used between window tests,
// which run many "program starts" in one process).
void EinstellungenStartwerte();

// A grouping character must not be read as part of a number: a digit, the decimal comma,
// "+", "E" and "e" are refused (" ", ".", "-" and any other character are taken).
bool TrennZeichenErlaubt(char c);
// Numbers are text of single bytes (Latin-1, "π" as the byte B6): a grouping character
// outside them ("€") would show as "?" in every result.
bool TrennZeichenDarstellbar(QChar c);
// The graph variable is a letter a-z or A-Z, or the blank that means none.
bool GrafikVariableErlaubt(char c);

// The formula and values file names, "formel.txt" / "variable.txt" when empty.
QString FormelDateiName();
QString WerteDateiName();
