#pragma once
// The input files of the calculators in the program folder: "einstSR.frb" (14 lines) for the
// savings calculator, "einstTilgR.frb" (12 lines) for the loan calculator. Read at every
// activation of the window, written by its Exit button only. Reading stops quietly at the
// first line that does not convert (what was read stays); a missing line reads as an empty
// text. A failed write stays silent and leaves the old file.

void SparEinstellungenLaden();
void SparEinstellungenSpeichern();
void TilgEinstellungenLaden();
void TilgEinstellungenSpeichern();
