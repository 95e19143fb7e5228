// The keypad and the entry field of the main window, driven with the mouse and the keyboard.
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "calculator/einstell.h"
#include "platform/farben.h"
#include "calculator/konstante.h"
#include "core/globals.h"
#include "graph/grafik.h"
#include "platform/panel_button.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "support/fenster_fixture.h"

namespace {

const QColor Ueber(0, 255, 0);
const QColor Gedrueckt(0, 128, 0);

// On the offscreen platform mouse moves reach a widget only through its window.
void schweben(QWidget* w, QPoint p = QPoint(-1, -1)) {
  if (p == QPoint(-1, -1)) p = w->rect().center();
  // Two steps: the first one into a window only enters the window itself.
  QTest::mouseMove(w->window()->windowHandle(), w->mapTo(w->window(), p) + QPoint(0, 1));
  QTest::mouseMove(w->window()->windowHandle(), w->mapTo(w->window(), p));
}

class TastenTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    HauptfensterZeigen();
  }

  PanelButton* taste(const char* name) {
    auto* t = frRechn->findChild<PanelButton*>(QString::fromLatin1(name));
    EXPECT_NE(t, nullptr) << name;
    return t;
  }

  void feld(const QString& text, int caret) {
    frRechn->ed1->setText(text);
    frRechn->ed1->setCursorPosition(caret);
  }

  void druecken(const char* name, Qt::MouseButton knopf = Qt::LeftButton) {
    PanelButton* t = taste(name);
    if (!t) return;
    QTest::mousePress(t, knopf);
    QTest::mouseRelease(t, knopf);
  }

  void druecken(PanelButton* t, Qt::MouseButton knopf = Qt::LeftButton) {
    QTest::mousePress(t, knopf);
    QTest::mouseRelease(t, knopf);
  }

  QString text() const { return frRechn->ed1->text(); }
  int caret() const { return frRechn->ed1->cursorPosition(); }
  QString ergebnis() const { return frRechn->edErgebnis->text(); }

  void werteSetzen(char letter, const QString& wert) {
    const int zeile = letter >= 'a' ? letter - 'a' + 1 : letter - 'A' + 27;
    frKonstante->sgK->setCells(1, zeile, wert);
  }
};

TEST_F(TastenTest, ZeichenTastenFuegenAmCaretEin) {
  const struct {
    const char* name;
    QString zeichen;
  } tasten[] = {{"pl_0", "0"}, {"pl_1", "1"}, {"pl_2", "2"}, {"pl_3", "3"}, {"pl_4", "4"},
                {"pl_5", "5"}, {"pl_6", "6"}, {"pl_7", "7"}, {"pl_8", "8"}, {"pl_9", "9"},
                {"pl_komma", ","}, {"pl_plus", "+"}, {"pl_minus", "-"}, {"pl_mul", "*"},
                {"pl_div", "/"}, {"pl_KLeft", "("}, {"pl_KRecht", ")"}, {"pl_Pi", "π"}};
  for (const auto& t : tasten) {
    feld(QStringLiteral("ab"), 1);
    druecken(t.name);
    EXPECT_EQ(text(), QStringLiteral("a") + t.zeichen + QStringLiteral("b")) << t.name;
    EXPECT_EQ(caret(), 2) << t.name;
    EXPECT_EQ(taste(t.name)->color(), Gedrueckt) << t.name;
    // The middle button types too; the right button does not.
    druecken(t.name, Qt::MiddleButton);
    EXPECT_EQ(text().size(), 4) << t.name;
    druecken(t.name, Qt::RightButton);
    EXPECT_EQ(text().size(), 4) << t.name;
  }
  // The pi key reaches the core as its one byte.
  feld(QString(), 0);
  druecken("pl_Pi");
  EXPECT_EQ(toCore(text()), std::string(1, '\xB6'));
}

TEST_F(TastenTest, LoeschTasten) {
  feld(QStringLiteral("12345"), 3);
  druecken("pl_delL");
  EXPECT_EQ(text(), QStringLiteral("1245"));
  EXPECT_EQ(caret(), 2);

  feld(QStringLiteral("12345"), 3);
  druecken("pl_delL", Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("45"));
  EXPECT_EQ(caret(), 0);

  feld(QStringLiteral("12345"), 0);
  druecken("pl_delL");
  EXPECT_EQ(text(), QStringLiteral("12345"));

  feld(QStringLiteral("12345"), 3);
  druecken("pl_delR");
  EXPECT_EQ(text(), QStringLiteral("1235"));
  EXPECT_EQ(caret(), 3);

  feld(QStringLiteral("12345"), 2);
  druecken("pl_delR", Qt::MiddleButton);
  EXPECT_EQ(text(), QStringLiteral("12"));
  EXPECT_EQ(caret(), 2);

  feld(QStringLiteral("12345"), 5);
  druecken("pl_delR");
  EXPECT_EQ(text(), QStringLiteral("12345"));

  feld(QStringLiteral("12345"), 2);
  druecken("pl_Del", Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("12345"));
  druecken("pl_Del");
  EXPECT_EQ(text(), QString());
}

TEST_F(TastenTest, VorzeichenTasteNurNebenEinemVorzeichen) {
  PanelButton* pm = taste("pl_pm");
  feld(QStringLiteral("2+3"), 2);
  schweben(pm);
  EXPECT_EQ(pm->color(), Ueber);
  druecken(pm);
  EXPECT_EQ(text(), QStringLiteral("2-3"));
  EXPECT_EQ(caret(), 2);

  // The sign after the caret when none stands before it.
  feld(QStringLiteral("2-3"), 1);
  schweben(pm, QPoint(3, 3));
  druecken(pm);
  EXPECT_EQ(text(), QStringLiteral("2+3"));
  EXPECT_EQ(caret(), 1);

  // Next to no sign the key neither lights up nor acts.
  feld(QStringLiteral("23"), 1);
  schweben(pm, QPoint(4, 4));
  EXPECT_FALSE(pm->color().isValid());
  druecken(pm);
  EXPECT_EQ(text(), QStringLiteral("23"));

  // The right button never acts.
  feld(QStringLiteral("2+3"), 2);
  schweben(pm, QPoint(5, 5));
  druecken(pm, Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("2+3"));
}

TEST_F(TastenTest, SchwebenUndZuruecksetzen) {
  PanelButton* sieben = taste("pl_7");
  PanelButton* sin = taste("pl_sin");
  schweben(sieben);
  EXPECT_EQ(sieben->color(), Ueber);
  schweben(sin);
  EXPECT_EQ(sin->color(), Ueber);
  EXPECT_FALSE(sieben->color().isValid());
  // Over the keypad's background every key returns to the button face.
  schweben(frRechn->plTasten, QPoint(1, 1));
  EXPECT_FALSE(sin->color().isValid());

  druecken(sieben);
  EXPECT_EQ(sieben->color(), Gedrueckt);
  frRechn->TastenFarbeZuruecksetzen();
  for (PanelButton* t : frRechn->plZahlen->findChildren<PanelButton*>()) {
    if (t == frRechn->sbErgebnis) continue;
    EXPECT_FALSE(t->color().isValid()) << t->objectName().toStdString();
  }
}

TEST_F(TastenTest, FunktionstastenVorlageUndUmhuellen) {
  // Empty field: the template with the caret between the parentheses.
  feld(QString(), 0);
  druecken("pl_sin");
  EXPECT_EQ(text(), QStringLiteral("sin()"));
  EXPECT_EQ(caret(), 4);
  EXPECT_EQ(ergebnis(), QString());

  // The template goes in at the caret of a formula, which is not calculated.
  feld(QStringLiteral("2+"), 2);
  druecken("pl_atanh");
  EXPECT_EQ(text(), QStringLiteral("2+atanh()"));
  EXPECT_EQ(caret(), 8);

  // A number is wrapped and calculated at once.
  feld(QStringLiteral("30"), 2);
  druecken("pl_sin");
  EXPECT_EQ(text(), QStringLiteral("sin(30)"));
  EXPECT_EQ(ergebnis(), QStringLiteral("0,5"));

  feld(QStringLiteral("100"), 3);
  druecken("pl_log");
  EXPECT_EQ(text(), QStringLiteral("log(100)"));
  EXPECT_EQ(ergebnis(), QStringLiteral("2"));

  // Each function key inserts its own name.
  const char* namen[] = {"sin", "cos", "tan", "ctan", "asin", "acos", "atan", "sinh",
                         "cosh", "tanh", "asinh", "acosh", "atanh", "log", "ln", "exp"};
  for (const char* n : namen) {
    feld(QString(), 0);
    druecken(("pl_" + std::string(n)).c_str());
    EXPECT_EQ(text(), QString::fromLatin1(n) + QStringLiteral("()")) << n;
  }
}

TEST_F(TastenTest, PotenzWurzelUndFakultaet) {
  feld(QString(), 0);
  druecken("im_xh2");
  EXPECT_EQ(text(), QStringLiteral("()^(2)"));
  EXPECT_EQ(caret(), 1);

  feld(QStringLiteral("12"), 2);
  druecken("im_xh2");
  EXPECT_EQ(text(), QStringLiteral("(12)^(2)"));
  EXPECT_EQ(caret(), 3);
  EXPECT_EQ(ergebnis(), QStringLiteral("144"));

  feld(QStringLiteral("16"), 2);
  druecken("im_xs2");
  EXPECT_EQ(text(), QStringLiteral("(16)^(0,5)"));
  EXPECT_EQ(caret(), 3);
  EXPECT_EQ(ergebnis(), QStringLiteral("4"));

  feld(QString(), 0);
  druecken("im_xs2");
  EXPECT_EQ(text(), QStringLiteral("()^(0,5)"));
  EXPECT_EQ(caret(), 1);

  feld(QStringLiteral("5"), 1);
  druecken("pl_sil");
  EXPECT_EQ(text(), QStringLiteral("(5)!"));
  EXPECT_EQ(caret(), 2);
  EXPECT_EQ(ergebnis(), QStringLiteral("120"));

  // The middle button gives the bare sign.
  feld(QStringLiteral("(3)"), 3);
  druecken("pl_sil", Qt::MiddleButton);
  EXPECT_EQ(text(), QStringLiteral("(3)!"));

  // x^y never wraps: the exponent is still to come.
  feld(QStringLiteral("2"), 1);
  druecken("pl_hoch");
  EXPECT_EQ(text(), QStringLiteral("2()^()"));
  EXPECT_EQ(caret(), 2);
  druecken("pl_hoch", Qt::MiddleButton);
  EXPECT_EQ(text(), QStringLiteral("2(^)^()"));
  EXPECT_EQ(caret(), 3);
}

TEST_F(TastenTest, VariableWirdUmhuellt) {
  werteSetzen('a', QStringLiteral("2"));
  feld(QStringLiteral("a"), 1);
  druecken("im_xh2");
  EXPECT_EQ(text(), QStringLiteral("(a)^(2)"));
  EXPECT_EQ(ergebnis(), QStringLiteral("4"));
}

TEST_F(TastenTest, RechteMausMachtRueckgaengig) {
  feld(QStringLiteral("2+3"), 3);
  druecken("pl_cos");
  EXPECT_EQ(text(), QStringLiteral("2+3cos()"));
  druecken("pl_cos", Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("2+3"));

  feld(QStringLiteral("30"), 2);
  druecken("pl_sin");
  druecken("pl_ln", Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("30"));

  for (const char* n : {"im_xh2", "im_xs2", "pl_sil", "pl_hoch"}) {
    feld(QStringLiteral("7+"), 2);
    druecken(n);
    EXPECT_NE(text(), QStringLiteral("7+")) << n;
    druecken(n, Qt::RightButton);
    EXPECT_EQ(text(), QStringLiteral("7+")) << n;
  }
}

TEST_F(TastenTest, GleichTaste) {
  // Left button: a formula is calculated and becomes the undo text.
  feld(QStringLiteral("2*21"), 4);
  druecken(frRechn->sbErgebnis);
  EXPECT_EQ(ergebnis(), QStringLiteral("42"));
  EXPECT_EQ(kolvex::RueckgaengigText, "2*21");
  EXPECT_TRUE(frRechn->tbWert_Einf->isEnabled());

  // A plain number does not replace the undo text.
  feld(QStringLiteral("7"), 1);
  druecken(frRechn->sbErgebnis);
  EXPECT_EQ(ergebnis(), QStringLiteral("7"));
  EXPECT_EQ(kolvex::RueckgaengigText, "2*21");

  // An empty field clears the result and calculates nothing.
  feld(QString(), 0);
  druecken(frRechn->sbErgebnis);
  EXPECT_EQ(ergebnis(), QString());
  EXPECT_FALSE(frRechn->tbWert_Einf->isEnabled());
  EXPECT_TRUE(meldungen.messages().empty());

  // Right or middle button: the settings window comes and goes, mirrored by the graph.
  druecken(frRechn->sbErgebnis, Qt::RightButton);
  EXPECT_TRUE(frRechn->tbEinstellung->isChecked());
  EXPECT_TRUE(frEinstell->isVisible());
  EXPECT_TRUE(frGrafik->tbEinstell->isChecked());
  druecken(frRechn->sbErgebnis, Qt::MiddleButton);
  EXPECT_FALSE(frRechn->tbEinstellung->isChecked());
  EXPECT_FALSE(frEinstell->isVisible());
  EXPECT_FALSE(frGrafik->tbEinstell->isChecked());

  // In replace mode the right button brings the undo text back instead.
  frRechn->tbCut->setChecked(true);
  feld(QStringLiteral("2+3"), 3);
  druecken(frRechn->sbErgebnis);
  EXPECT_EQ(text(), QStringLiteral("5"));
  EXPECT_EQ(ergebnis(), QString());
  frRechn->sbErgebnisMouseMove();
  EXPECT_EQ(frRechn->sbErgebnis->toolTip(), QStringLiteral("Berechnen\nRechtemaus: Rückgängig"));
  druecken(frRechn->sbErgebnis, Qt::RightButton);
  EXPECT_EQ(text(), QStringLiteral("2+3"));
  EXPECT_FALSE(frEinstell->isVisible());
  frRechn->tbCut->setChecked(false);
  frRechn->sbErgebnisMouseMove();
  EXPECT_EQ(frRechn->sbErgebnis->toolTip(), QStringLiteral("Berechnen\nRechtemaus: Einstellung"));
}

TEST_F(TastenTest, EingabeFeldFiltertUndRechnetMitEnter) {
  QLineEdit* ed = frRechn->ed1;
  ed->clear();
  ed->setFocus();
  QTest::keyClicks(ed, QStringLiteral("2.5 ^!*+3,1,"));
  // "." becomes ","; blank, "^", "!" are swallowed, so is "+" after "*" and a second comma.
  EXPECT_EQ(ed->text(), QStringLiteral("2,5*3,1"));
  EXPECT_FALSE(frRechn->tbGrafik->isEnabled());
  QTest::keyClicks(ed, QStringLiteral("-x"));
  EXPECT_TRUE(frRechn->tbGrafik->isEnabled());
  QTest::keyClick(ed, Qt::Key_Backspace);
  EXPECT_FALSE(frRechn->tbGrafik->isEnabled());
  QTest::keyClick(ed, Qt::Key_Backspace);

  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_EQ(ed->text(), QStringLiteral("2,5*3,1"));
  EXPECT_EQ(ergebnis(), QStringLiteral("7,75"));
  EXPECT_TRUE(frRechn->tbWert_Einf->isEnabled());

  ed->setText(QStringLiteral("1/0"));
  QTest::keyClick(ed, Qt::Key_Enter);
  EXPECT_EQ(ergebnis(), QStringLiteral("Error"));
  EXPECT_FALSE(frRechn->tbWert_Einf->isEnabled());
}

TEST_F(TastenTest, FlaechenFarbeMitRechterMaus) {
  int aufrufe = 0;
  KolvexFarbDialog::setTestHook([&](KolvexFarbDialog& d) {
    ++aufrufe;
    d.Color = 0x112233;
    return true;
  });
  QTest::mouseClick(frRechn->plZahlen, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_EQ(FlaechenFarbe(frRechn->plZahlen), 0x112233);
  EXPECT_EQ(kolvex::FarbeZahlen, 0x112233);

  // The result field belongs to the top area; plRG to the function area.
  QTest::mouseClick(frRechn->edErgebnis, Qt::RightButton);
  EXPECT_EQ(FlaechenFarbe(frRechn->plOben), 0x112233);
  EXPECT_EQ(FlaechenFarbe(frRechn->edErgebnis), 0x112233);
  QTest::mouseClick(frRechn->plRG, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_EQ(FlaechenFarbe(frRechn->plFunktionen), 0x112233);
  EXPECT_EQ(FlaechenFarbe(frRechn->plRG), 0x112233);
  EXPECT_EQ(aufrufe, 3);

  // Cancel keeps the colour; the left button and the keys do not open the dialog.
  KolvexFarbDialog::setTestHook([&](KolvexFarbDialog& d) {
    ++aufrufe;
    d.Color = 0x445566;
    return false;
  });
  QTest::mouseClick(frRechn->plZahlen, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_EQ(FlaechenFarbe(frRechn->plZahlen), 0x112233);
  QTest::mouseClick(frRechn->plZahlen, Qt::LeftButton, {}, QPoint(1, 1));
  druecken("pl_7", Qt::RightButton);
  EXPECT_EQ(aufrufe, 4);
  KolvexFarbDialog::setTestHook({});
}

// The window as the user sees it: the areas in their colours, every key inside the window
// and none covering another. KOLVEX_BILD=<file> keeps the picture.
TEST_F(TastenTest, FensterBild) {
  QCoreApplication::processEvents();
  const QImage bild = frRechn->grab().toImage();
  if (qEnvironmentVariableIsSet("KOLVEX_BILD")) bild.save(qEnvironmentVariable("KOLVEX_BILD"));

  const QRect fenster = frRechn->rect();
  QList<QRect> belegt;
  for (PanelButton* t : frRechn->findChildren<PanelButton*>()) {
    const QRect r(t->mapTo(frRechn, QPoint(0, 0)), t->size());
    EXPECT_TRUE(fenster.contains(r)) << t->objectName().toStdString();
    for (const QRect& anderer : belegt)
      EXPECT_FALSE(anderer.intersects(r)) << t->objectName().toStdString();
    belegt << r;
  }
  auto farbeBei = [&](QWidget* w) {
    return bild.pixelColor(w->mapTo(frRechn, QPoint(1, w->height() - 2)) + QPoint(1, 0));
  };
  EXPECT_EQ(farbeBei(frRechn->plZahlen), colorFromBgr(kolvex::FarbeZahlen));
  EXPECT_EQ(farbeBei(frRechn->plFunktionen), colorFromBgr(kolvex::FarbeFunktionen));
  EXPECT_EQ(bild.pixelColor(frRechn->plOben->mapTo(frRechn, QPoint(3, 3))),
            colorFromBgr(kolvex::FarbeOben));
  EXPECT_EQ(frRechn->pl_Pi->caption(), QStringLiteral("π"));
}

}  // namespace
