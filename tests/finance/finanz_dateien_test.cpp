// "einstSR.frb" and "einstTilgR.frb": written by Exit, read at every activation.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "finance/spar_rechner.h"
#include "finance/tilg_rechner.h"
#include "support/fenster_fixture.h"

namespace {

class FinanzDateienTest : public FensterTest {
 protected:
  void TearDown() override {
    if (frSparRechner) frSparRechner->hide();
    if (frTilgRechner) frTilgRechner->hide();
    FensterTest::TearDown();
  }
  void RohSchreiben(const QString& name, const QByteArray& bytes) {
    QFile datei(Pfad(name));
    ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
    datei.write(bytes);
  }
};

TEST_F(FinanzDateienTest, SavingsExitWritesFourteenLinesAndActivationReadsThem) {
  TfrSparRechner* f = frSparRechner;
  f->FormActivate();
  f->chbDynamik->setChecked(true);
  f->cbZinsperiode->setCurrentIndex(0);
  f->edAnsparzeit->setText(QStringLiteral("12"));
  f->sbExitClick();
  EXPECT_EQ(DateiLesen(QStringLiteral("einstSR.frb")),
            (QStringList{"10.000,00", "150,00", "0", "0", "1", "1,00", "0", "3,00", "0", "0", "12",
                         "0", "0", "0"}));
  // Back in a fresh program, the activation shows them again.
  Neustart();
  f = frSparRechner;
  EXPECT_EQ(f->edAnsparzeit->text(), QStringLiteral("7"));
  f->FormActivate();
  EXPECT_EQ(f->edAnsparzeit->text(), QStringLiteral("12"));
  EXPECT_TRUE(f->chbDynamik->isChecked());
  EXPECT_EQ(f->cbZinsperiode->currentText(), QStringLiteral("monatlich"));
}

TEST_F(FinanzDateienTest, SavingsLinesConvertAsTheirFields) {
  DateiSchreiben(QStringLiteral("einstSR.frb"),
                 {"5.000,00", "75,5", "1,6", "1", "TRUE", "2,00", "4", "3,5", "9", "0", "24", "1",
                  "1", "0"});
  TfrSparRechner* f = frSparRechner;
  f->FormActivate();
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("5.000,00"));
  EXPECT_EQ(f->edSparrate->text(), QStringLiteral("75,5"));  // as written
  EXPECT_EQ(f->cbSparintervall->currentIndex(), 2);          // 1,6 rounds to 2
  EXPECT_EQ(f->cbEinzahlungsart->currentText(), QStringLiteral("nachschüssig"));
  EXPECT_FALSE(f->chbDynamik->isChecked());  // only "1" ticks
  EXPECT_EQ(f->cbDynamik->currentIndex(), 4);
  EXPECT_EQ(f->edZinssatz->text(), QStringLiteral("3,50"));
  EXPECT_EQ(f->cbZinsperiode->currentIndex(), -1);  // beyond the items: no choice
  EXPECT_EQ(f->cbZinsperiode->currentText(), QString());
  EXPECT_EQ(f->cbAnsparzeit->currentText(), QStringLiteral("Monate"));
  // With no interest period chosen the plan earns nothing.
  QTest::mouseClick(f->sbBerechnen, Qt::LeftButton);
  EXPECT_EQ(f->edZinseG->text(), QStringLiteral("0,00 €"));
}

TEST_F(FinanzDateienTest, ShortOrBrokenSavingsFileKeepsWhatWasRead) {
  TfrSparRechner* f = frSparRechner;
  f->chbDynamik->setChecked(true);
  // Two lines: the interval reads an empty line as 0, the payment mode's empty line does
  // not convert and ends the reading.
  DateiSchreiben(QStringLiteral("einstSR.frb"), {"1,00", "2,00"});
  f->cbSparintervall->setCurrentIndex(3);
  f->FormActivate();
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("1,00"));
  EXPECT_EQ(f->edSparrate->text(), QStringLiteral("2,00"));
  EXPECT_EQ(f->cbSparintervall->currentIndex(), 0);
  EXPECT_TRUE(f->chbDynamik->isChecked());
  // A line that is no index stops at once; CR LF line ends are read too.
  RohSchreiben(QStringLiteral("einstSR.frb"), "9,00\r\n8,00\r\n0\r\nvorschüssig\r\n0\r\n");
  f->FormActivate();
  EXPECT_EQ(f->edAnfangskapital->text(), QStringLiteral("9,00"));
  EXPECT_EQ(f->edSparrate->text(), QStringLiteral("8,00"));
  EXPECT_TRUE(f->chbDynamik->isChecked());
  // An empty file has only missing lines: two empty texts, then the reading stops.
  RohSchreiben(QStringLiteral("einstSR.frb"), "");
  f->cbSparintervall->setCurrentIndex(2);
  f->FormActivate();
  EXPECT_EQ(f->edAnfangskapital->text(), QString());
  EXPECT_EQ(f->cbSparintervall->currentIndex(), 0);
  EXPECT_TRUE(f->chbDynamik->isChecked());
}

TEST_F(FinanzDateienTest, LoanExitWritesTwelveLinesAndMoneyLinesAreReformatted) {
  TfrTilgRechner* f = frTilgRechner;
  f->FormActivate();
  f->cbBearbeitungsgebuhr->setChecked(true);
  f->edBearbeitungsgebuhr->setText(QStringLiteral("99"));
  f->edDarlehensbetrag->setText(QStringLiteral("12.345,67"));
  f->sbExitClick();
  EXPECT_EQ(DateiLesen(QStringLiteral("einstTilgR.frb")),
            (QStringList{"12.345,67", "1", "99", "0", "0,00", "5,00", "1", "0", "3.000,00", "3",
                         "7", "0"}));
  Neustart();
  f = frTilgRechner;
  f->FormActivate();
  EXPECT_EQ(f->edDarlehensbetrag->text(), QStringLiteral("12.345,67"));
  EXPECT_EQ(f->edBearbeitungsgebuhr->text(), QStringLiteral("99,00"));
  EXPECT_TRUE(f->cbBearbeitungsgebuhr->isChecked());
  EXPECT_TRUE(f->edBearbeitungsgebuhr->isVisibleTo(f));
  EXPECT_DOUBLE_EQ(f->TilgDarlehen, 12345.67);
}

TEST_F(FinanzDateienTest, LoanSwitchesAndIndexes) {
  DateiSchreiben(QStringLiteral("einstTilgR.frb"),
                 {"1000 €", "TRUE", "abc", "1", "2,5 %", "6", "0", "1", "100,00", "7", "24", "1"});
  TfrTilgRechner* f = frTilgRechner;
  f->FormActivate();
  EXPECT_EQ(f->edDarlehensbetrag->text(), QStringLiteral("1.000,00"));
  EXPECT_FALSE(f->cbBearbeitungsgebuhr->isChecked());
  EXPECT_EQ(f->edBearbeitungsgebuhr->text(), QStringLiteral("0,00"));
  EXPECT_TRUE(f->cbDisagio->isChecked());
  EXPECT_EQ(f->edDisagio->text(), QStringLiteral("2,50"));
  EXPECT_EQ(f->edZinssatz->text(), QStringLiteral("6,00"));
  EXPECT_EQ(f->cbZinszahlungsintervall->currentText(), QStringLiteral("monatlich"));
  EXPECT_TRUE(f->cbZinseZahlen->isChecked());
  EXPECT_EQ(f->cbTilgungsintervall->currentIndex(), -1);
  EXPECT_EQ(f->edTilgungsdauer->text(), QStringLiteral("24"));
  EXPECT_EQ(f->cbTilgungsdauer->currentText(), QStringLiteral("Monate"));
}

// A TAB or line break pasted into a field is a blank there and in the file: every later
// field comes back from its own line after a restart, and the next Exit writes the same bytes.
TEST_F(FinanzDateienTest, PastedLineBreaksKeepEveryFieldOnItsLine) {
  TfrSparRechner* s = frSparRechner;
  s->FormActivate();
  Einfuegen(s->edSparrate, QStringLiteral("150\n,00"));
  Einfuegen(s->edAnsparzeit, QStringLiteral("1\t2"));
  EXPECT_EQ(s->edSparrate->text(), QStringLiteral("150 ,00"));
  s->sbExitClick();
  TfrTilgRechner* t = frTilgRechner;
  t->FormActivate();
  Einfuegen(t->edTilgungsrate, QStringLiteral("3.000\r\n"));
  Einfuegen(t->edTilgungsdauer, QStringLiteral("2\n4"));
  t->sbExitClick();
  const QByteArray spar = DateiBytes(QStringLiteral("einstSR.frb"));
  const QByteArray tilg = DateiBytes(QStringLiteral("einstTilgR.frb"));
  EXPECT_EQ(DateiLesen(QStringLiteral("einstSR.frb")).size(), 14);
  EXPECT_EQ(DateiLesen(QStringLiteral("einstTilgR.frb")).size(), 12);

  Neustart();
  s = frSparRechner;
  s->FormActivate();
  EXPECT_EQ(s->edSparrate->text(), QStringLiteral("150 ,00"));
  EXPECT_EQ(s->edAnsparzeit->text(), QStringLiteral("1 2"));
  EXPECT_EQ(s->cbAnsparzeit->currentIndex(), 0);
  s->sbExitClick();
  EXPECT_EQ(DateiBytes(QStringLiteral("einstSR.frb")), spar);
  t = frTilgRechner;
  t->FormActivate();
  EXPECT_EQ(t->edTilgungsrate->text(), QStringLiteral("3.000  "));
  EXPECT_EQ(t->edTilgungsdauer->text(), QStringLiteral("2 4"));
  EXPECT_EQ(t->cbTilgungsdauer->currentIndex(), 0);
  t->sbExitClick();
  EXPECT_EQ(DateiBytes(QStringLiteral("einstTilgR.frb")), tilg);
}

TEST_F(FinanzDateienTest, ExitThatCannotWriteSaysSoAndKeepsTheWindowsInputs) {
  // A folder where the file should go.
  ASSERT_TRUE(QDir(Pfad("")).mkdir("einstSR.frb"));
  ASSERT_TRUE(QDir(Pfad("")).mkdir("einstTilgR.frb"));
  frSparRechner->FormActivate();
  frSparRechner->sbExitClick();
  frTilgRechner->FormActivate();
  frTilgRechner->sbExitClick();
  QStringList texte;
  for (const RecordedMessage& m : meldungen.messages()) texte << m.text;
  EXPECT_EQ(texte, (QStringList{"Datei " + Pfad("einstSR.frb") + " konnte nicht gespeichert werden.\rFilename refers to a directory",
                                "Datei " + Pfad("einstTilgR.frb") +
                                    " konnte nicht gespeichert werden.\rFilename refers to a directory"}))
      << texte.join('|').toStdString();
}

TEST_F(FinanzDateienTest, CloseBoxStoresNothing) {
  TfrSparRechner* s = frSparRechner;
  s->FormActivate();
  s->edSparrate->setText(QStringLiteral("200,00"));
  s->sbExitClick();
  s->show();
  s->FormActivate();
  s->edSparrate->setText(QStringLiteral("999,00"));
  s->close();
  s->FormActivate();
  EXPECT_EQ(s->edSparrate->text(), QStringLiteral("200,00"));
  EXPECT_EQ(DateiLesen(QStringLiteral("einstSR.frb")).value(1), QStringLiteral("200,00"));
  TfrTilgRechner* t = frTilgRechner;
  t->show();
  t->FormActivate();
  t->edTilgungsrate->setText(QStringLiteral("1,00"));
  t->close();
  EXPECT_FALSE(DateiDa(QStringLiteral("einstTilgR.frb")));
}

}  // namespace
