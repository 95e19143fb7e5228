#pragma once
// Fixture for window tests: every test starts the program afresh in its own empty temporary
// working folder, with all windows created in their fixed order, message boxes recorded
// instead of shown (Yes/OK unless scripted), and no pause after file-existence tests.
// EchteFensterTest is the same without the recorder: its boxes really show and are answered
// as a user answers them (support/programm_lauf.h).
//
//   class MeinTest : public FensterTest {};
//   TEST_F(MeinTest, ...) { DateiSchreiben("variable.txt", {"2"}); Neustart(); ... }
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "calculator/einstellungen.h"
#include "calculator/fenster_erzeugen.h"
#include "calculator/kolvex.h"
#include "calculator/rechn.h"
#include "platform/esc_watcher.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/text_file.h"
#include "support/fenster_lage_warten.h"

// Runs tun once bedingung holds, polled every 20 ms from the event loop; each waiter is its
// own timer, so waiters may nest (a modal dialog's handler arming the next one). A condition
// that never comes fails the test after the safety cap, and tun runs all the same, so that the
// steps that end the test (closing a modal window) still run.
inline void WennDann(std::function<bool()> bedingung, std::function<void()> tun) {
  auto* uhr = new QTimer;
  uhr->setInterval(20);
  const QDeadlineTimer aufgeben(kNotbremseMs);
  QObject::connect(uhr, &QTimer::timeout, [uhr, bedingung, tun, aufgeben] {
    if (!bedingung()) {
      if (!aufgeben.hasExpired()) return;
      ADD_FAILURE() << "a condition the test waited for never came";
    }
    uhr->stop();
    uhr->deleteLater();
    tun();
  });
  uhr->start();
}

// Pastes the text over the whole field, as Ctrl+A and Ctrl+V do.
inline void Einfuegen(QLineEdit* feld, const QString& text) {
  QGuiApplication::clipboard()->setText(text);
  feld->selectAll();
  feld->paste();
}

class EchteFensterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ordner_.isValid());
    alterOrdner_ = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(ordner_.path()));
    DateiPauseMs = 0;
    EscWatcher::pressAfterPolls(-1);
    EinstellungenStartwerte();
    FensterErzeugen();
  }

  void TearDown() override {
    FensterZerstoeren();
    EscWatcher::pressAfterPolls(-1);
    QDir::setCurrent(alterOrdner_);
  }

  // Ends the "program" without saving anything and starts it again in the same folder, as
  // a restart would (the settings globals go back to their start values first).
  void Neustart() {
    FensterZerstoeren();
    EinstellungenStartwerte();
    FensterErzeugen();
  }

  // Shows the main window and activates it, as the program does once every window exists
  // (the calculation driver does nothing before that first activation).
  void HauptfensterZeigen() {
    frRechn->show();
    frRechn->activateWindow();
    if (!AktivAbwarten(frRechn)) frRechn->FormActivate();
  }

  // Files in the working folder (UTF-8, LF).
  QString Pfad(const QString& name) const { return QDir(ordner_.path()).filePath(name); }
  void DateiSchreiben(const QString& name, const QStringList& zeilen) {
    ASSERT_TRUE(writeTextLines(Pfad(name), zeilen));
  }
  QStringList DateiLesen(const QString& name) const {
    QStringList zeilen;
    readTextLines(Pfad(name), zeilen);
    return zeilen;
  }
  QByteArray DateiBytes(const QString& name) const {
    QFile f(Pfad(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
  }
  bool DateiDa(const QString& name) const { return QFile::exists(Pfad(name)); }


 private:
  QTemporaryDir ordner_;
  QString alterOrdner_;
};

class FensterTest : public EchteFensterTest {
 protected:
  // Every message shown since the start (or the last clear()).
  MessageRecorder meldungen;
};
