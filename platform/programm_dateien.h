#pragma once
// Files of every window: the existence test with its fixed pause, the program folder, and
// writing with the warning every writer shows.
#include <QString>
#include <QStringList>

// Pause after every existence test, in milliseconds; the tests set 0.
inline int DateiPauseMs = 100;
// Test seam: the number of existence tests made (each with its pause), so that tests can
// count what a step of the program costs in pauses.
inline int DateiExistiertAufrufe = 0;

// An entry of that name (file, folder or link, also a dangling one) exists; always followed
// by the pause.
bool DateiExistiert(const QString& name);
// A regular file of that name exists (a folder of that name does not count); pauses like
// every existence test of the program.
bool RegulaereDateiExistiert(const QString& pfad);
// Writes the lines atomically; on failure shows a warning with the system's error text and
// returns false (the old file stays).
bool DateiSchreibenMitWarnung(const QString& pfad, const QStringList& zeilen);
// The same for a file of one entry a line (settings, values, calculator inputs): a TAB, CR or
// LF inside an entry is written as a blank (kolvex::EinzeiligerEintrag), so a pasted line
// break can neither split an entry nor shift the ones after it.
bool EintraegeSchreibenMitWarnung(const QString& pfad, QStringList eintraege);
// ProgrammPfad + name as a path for Qt.
QString ImProgrammOrdner(const QString& name);
