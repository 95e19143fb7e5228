#pragma once
// The main settings file as the windows below the calculator see it. Its lines come from the
// calculator's controls, so the calculator installs its loader and writer at start-up; the
// data graph, the scaling dialog, the model list and the channel choice re-read and save it
// through this without knowing who writes which line.
class Einstellungsdatei {
 public:
  virtual ~Einstellungsdatei() = default;
  virtual void Laden() = 0;
  // Whether the file was written (a failure has been shown).
  virtual bool Speichern() = 0;

  // The file the functions below go through (nullptr: none, e.g. a window made alone by a
  // tool).
  static void Installieren(Einstellungsdatei* datei);
};

// Through the installed file; without one they do nothing (false).
void HauptEinstellungenLaden();
bool HauptEinstellungenSpeichern();
