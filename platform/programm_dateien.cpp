#include "platform/programm_dateien.h"

#include <QFileInfo>
#include <QThread>

#include "core/globals.h"
#include "core/text.h"
#include "platform/message_dialog.h"
#include "platform/text_file.h"

bool DateiExistiert(const QString& name) {
  ++DateiExistiertAufrufe;
  bool found = false;
  if (!name.isEmpty()) {
    const QFileInfo info(name);
    found = info.exists() || info.isSymLink();  // a dangling link is an entry too
  }
  if (DateiPauseMs > 0) QThread::msleep(static_cast<unsigned long>(DateiPauseMs));
  return found;
}

bool RegulaereDateiExistiert(const QString& pfad) {
  if (pfad.isEmpty()) return false;
  if (!DateiExistiert(pfad)) return false;
  return QFileInfo(pfad).isFile();
}

bool DateiSchreibenMitWarnung(const QString& pfad, const QStringList& zeilen) {
  QString fehler;
  if (writeTextLines(pfad, zeilen, &fehler)) return true;
  showMessage(saveFailedText(pfad, fehler), MessageKind::Warning);
  return false;
}

bool EintraegeSchreibenMitWarnung(const QString& pfad, QStringList eintraege) {
  for (QString& eintrag : eintraege) eintrag = kolvex::EinzeiligerEintrag(eintrag);
  return DateiSchreibenMitWarnung(pfad, eintraege);
}

QString ImProgrammOrdner(const QString& name) {
  return QString::fromStdString(kolvex::ProgrammPfad) + name;
}
