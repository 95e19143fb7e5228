#include "platform/einstellungsdatei.h"

namespace {
Einstellungsdatei* installiert = nullptr;
}  // namespace

void Einstellungsdatei::Installieren(Einstellungsdatei* datei) { installiert = datei; }

void HauptEinstellungenLaden() {
  if (installiert) installiert->Laden();
}

bool HauptEinstellungenSpeichern() { return installiert && installiert->Speichern(); }
