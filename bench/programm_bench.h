#pragma once
// main() of the benchmarks that drive windows: the whole application in a fresh program
// folder, file pauses off, messages recorded instead of shown (a message that did come is
// printed, since it means a case measured something else than it meant to).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QString>
#include <QTemporaryDir>
#include <cstdio>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "platform/application.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"

// vorbereiten(ordner) runs after the windows exist, before the first benchmark.
template <typename Vorbereiten>
int ProgrammBenchmarks(int argc, char** argv, Vorbereiten vorbereiten) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  benchmark::Initialize(&argc, argv);
  Application app(argc, argv);
  QTemporaryDir ordner;
  QDir::setCurrent(ordner.path());
  DateiPauseMs = 0;
  MessageRecorder keineDialoge;
  EinstellungenStartwerte();
  FensterErzeugen();
  vorbereiten(ordner.path());
  benchmark::RunSpecifiedBenchmarks();
  for (const RecordedMessage& m : keineDialoge.messages())
    std::fprintf(stderr, "Meldung: %s\n", m.text.toUtf8().constData());
  FensterZerstoeren();
  benchmark::Shutdown();
  return 0;
}
