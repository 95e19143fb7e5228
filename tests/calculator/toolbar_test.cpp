// The main window's tool bar: side windows and their mirrored buttons, replace and graph
// mode, the result into the values table, the results log and the layout rules.
#include <QCheckBox>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include "calculator/einstell.h"
#include "calculator/formel.h"
#include "calculator/konstante.h"
#include "core/globals.h"
#include "graph/grafik.h"
#include "platform/panel_button.h"
#include "platform/shell_open.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "units/einheiten.h"

namespace {

// On the offscreen platform mouse moves reach a widget only through its window.
void schweben(QWidget* w, QPoint p = QPoint(-1, -1)) {
  if (p == QPoint(-1, -1)) p = w->rect().center();
  // Two steps: the first one into a window only enters the window itself.
  QTest::mouseMove(w->window()->windowHandle(), w->mapTo(w->window(), p) + QPoint(0, 1));
  QTest::mouseMove(w->window()->windowHandle(), w->mapTo(w->window(), p));
}

class ToolBarTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    HauptfensterZeigen();
    // The offscreen platform's pointer rests at (10, 10); the main window opens in the
    // middle of the screen, so the pointer is put into it, where hovering starts from.
    QCursor::setPos(frRechn->mapToGlobal(QPoint(5, 5)));
  }
  void TearDown() override {
    setShellOpenHook({});
    FensterTest::TearDown();
  }

  static void klick(QToolButton* tb, Qt::MouseButton knopf = Qt::LeftButton) {
    QTest::mouseClick(tb, knopf);
  }

  void formel(const QString& text) {
    frRechn->ed1->setText(text);
    frRechn->ed1->setCursorPosition(static_cast<int>(text.size()));
  }

  static int zeileVon(char letter) {
    return letter >= 'a' ? letter - 'a' + 1 : letter - 'A' + 27;
  }
};

TEST_F(ToolBarTest, JederKnopfMitSeinemHinweis) {
  const struct {
    const char* name;
    QString hinweis;
  } knoepfe[] = {
      {"tbFormel", "Formel"},
      {"tbWerte", "Werte"},
      {"tbWert_Einf", "Ergebnis in Werte-Tabelle einfügen"},
      {"tbGrafik", "Grafik\nVariable = x"},
      {"tbDiagramm", "XY-Daten in Diagramm"},
      {"tbResults", "Ergebnisse zeigen   (result.txt)\nRechtemaus: Ergebnisse-Datei Löschen"},
      {"tbCut", "Formel durch Ergebnis ersetzen"},
      {"tbEinstellung", "Einstellung"},
      {"tbInfo", "Info"},
      {"tbFormStyle", "Fenster nach vorne verschieben"},
      {"tbEinheiten", "Einheiten-Umrechnung"},
  };
  for (const auto& k : knoepfe) {
    auto* tb = frRechn->findChild<QToolButton*>(QString::fromLatin1(k.name));
    ASSERT_NE(tb, nullptr) << k.name;
    EXPECT_EQ(tb->toolTip(), k.hinweis) << k.name;
  }
  const struct {
    const char* name;
    QString caption, hinweis;
  } panels[] = {{"plSparR", "SR", "Sparbuch-Rechner"},
                {"plTilgR", "TR", "Tilgung-Rechner"},
                {"sbExit", "", "Programm beenden"},
                {"sbErgebnis", "=", "Berechnen"}};
  for (const auto& p : panels) {
    auto* pb = frRechn->findChild<PanelButton*>(QString::fromLatin1(p.name));
    ASSERT_NE(pb, nullptr) << p.name;
    EXPECT_EQ(pb->caption(), p.caption) << p.name;
    EXPECT_EQ(pb->toolTip(), p.hinweis) << p.name;
  }
  // Hints that name the current files.
  schweben(frRechn->tbWerte);
  EXPECT_EQ(frRechn->tbWerte->toolTip(), QStringLiteral("Werte\n(variable.txt)"));
  schweben(frRechn->tbFormel);
  EXPECT_EQ(frRechn->tbFormel->toolTip(), QStringLiteral("Formel\n(formel.txt)"));
}

TEST_F(ToolBarTest, SeitenfensterUndGespiegelteKnoepfe) {
  const struct {
    QToolButton* knopf;
    Form* fenster;
  } paare[] = {{frRechn->tbWerte, frKonstante},
               {frRechn->tbFormel, frFormel},
               {frRechn->tbEinstellung, frEinstell},
               {frRechn->tbEinheiten, frEinheiten}};
  for (const auto& p : paare) {
    const std::string name = p.knopf->objectName().toStdString();
    klick(p.knopf);
    EXPECT_TRUE(p.knopf->isChecked()) << name;
    EXPECT_TRUE(p.fenster->isVisible()) << name;
    klick(p.knopf);
    EXPECT_FALSE(p.knopf->isChecked()) << name;
    EXPECT_FALSE(p.fenster->isVisible()) << name;
    // The window's own close box releases the button.
    klick(p.knopf);
    p.fenster->close();
    EXPECT_FALSE(p.fenster->isVisible()) << name;
    EXPECT_FALSE(p.knopf->isChecked()) << name;
    // Shown by someone else, the button follows.
    p.fenster->show();
    EXPECT_TRUE(p.knopf->isChecked()) << name;
    p.fenster->hide();
    EXPECT_FALSE(p.knopf->isChecked()) << name;
    // A state set by the program only mirrors: it shows nothing.
    p.knopf->setChecked(true);
    EXPECT_FALSE(p.fenster->isVisible()) << name;
    p.knopf->setChecked(false);
  }
  // The function graph's buttons mirror the formula list and the settings window.
  klick(frRechn->tbFormel);
  EXPECT_TRUE(frGrafik->tbFormel->isChecked());
  frFormel->close();
  EXPECT_FALSE(frGrafik->tbFormel->isChecked());
  klick(frRechn->tbEinstellung);
  EXPECT_TRUE(frGrafik->tbEinstell->isChecked());
}

TEST_F(ToolBarTest, EinheitenSperrenErsetzenUndGrafik) {
  formel(QStringLiteral("2*x"));
  EXPECT_TRUE(frRechn->tbGrafik->isEnabled());
  klick(frRechn->tbEinheiten);
  EXPECT_FALSE(frRechn->tbCut->isEnabled());
  EXPECT_FALSE(frRechn->tbGrafik->isEnabled());
  // Closed by its close box, the unit window frees both again.
  frEinheiten->close();
  EXPECT_FALSE(frRechn->tbEinheiten->isChecked());
  EXPECT_TRUE(frRechn->tbCut->isEnabled());
  EXPECT_TRUE(frRechn->tbGrafik->isEnabled());

  // Replace mode excludes unit conversion.
  klick(frRechn->tbCut);
  EXPECT_TRUE(frRechn->tbCut->isChecked());
  EXPECT_FALSE(frRechn->tbEinheiten->isEnabled());
  formel(QStringLiteral("2+3"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  EXPECT_EQ(frRechn->ed1->text(), QStringLiteral("5"));
  EXPECT_EQ(frRechn->edErgebnis->text(), QString());
  klick(frRechn->tbCut);
  EXPECT_TRUE(frRechn->tbEinheiten->isEnabled());
}

TEST_F(ToolBarTest, GrafikModus) {
  formel(QStringLiteral("x^2"));
  klick(frRechn->tbGrafik);
  EXPECT_TRUE(frRechn->tbGrafik->isChecked());
  EXPECT_TRUE(frGrafik->isVisible());
  EXPECT_FALSE(frRechn->tbEinheiten->isEnabled());
  EXPECT_TRUE(meldungen.messages().empty());
  klick(frRechn->tbGrafik);
  EXPECT_FALSE(frRechn->tbGrafik->isChecked());
  EXPECT_FALSE(frGrafik->isVisible());
  EXPECT_TRUE(frRechn->tbEinheiten->isEnabled());

  // Closing the graph window ends graph mode.
  klick(frRechn->tbGrafik);
  frGrafik->close();
  EXPECT_FALSE(frRechn->tbGrafik->isChecked());
  EXPECT_TRUE(frRechn->tbEinheiten->isEnabled());
}

TEST_F(ToolBarTest, GrafikModusVerweigert) {
  // A wrong formula: the syntax check's message, the button stays up.
  formel(QStringLiteral("x*(2+"));
  klick(frRechn->tbGrafik);
  EXPECT_FALSE(frRechn->tbGrafik->isChecked());
  EXPECT_FALSE(frGrafik->isVisible());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(meldungen.messages()[0].text.startsWith(QStringLiteral("Formel ist Falsch!")));

  // A variable without a value: the values table opens at its row.
  meldungen.clear();
  formel(QStringLiteral("x*b"));
  klick(frRechn->tbGrafik);
  EXPECT_FALSE(frRechn->tbGrafik->isChecked());
  EXPECT_FALSE(frGrafik->isVisible());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Kein Wert für b"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_TRUE(frKonstante->isVisible());
  EXPECT_TRUE(frRechn->tbWerte->isChecked());
  EXPECT_EQ(frKonstante->sgK->Row(), zeileVon('b'));

  // With the value, the same formula goes to the graph.
  meldungen.clear();
  frKonstante->sgK->setCells(1, zeileVon('b'), QStringLiteral("3"));
  klick(frRechn->tbGrafik);
  EXPECT_TRUE(frRechn->tbGrafik->isChecked());
  EXPECT_TRUE(meldungen.messages().empty());
}

// Graph mode used to hide the unit window but leave conversion on, so later results were
// multiplied by the factor of a window nobody saw.
TEST_F(ToolBarTest, GrafikModusBeendetEinheitenUmrechnung) {
  klick(frRechn->tbEinheiten);
  ASSERT_TRUE(frRechn->tbEinheiten->isChecked());
  formel(QStringLiteral("x+1"));  // typing enables the graph button again
  ASSERT_TRUE(frRechn->tbGrafik->isEnabled());
  klick(frRechn->tbGrafik);
  EXPECT_FALSE(frEinheiten->isVisible());
  EXPECT_FALSE(frRechn->tbEinheiten->isChecked());
  EXPECT_TRUE(frRechn->tbGrafik->isChecked());
  klick(frRechn->tbGrafik);
  formel(QStringLiteral("6*7"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  EXPECT_EQ(frRechn->edErgebnis->text(), QStringLiteral("42"));
}

TEST_F(ToolBarTest, ErgebnisInWerteTabelle) {
  kolvex::Genauigkeit = 2;
  kolvex::TrennPunkt = true;
  kolvex::TrennZeichen = '.';
  frEinstell->cbTrenPkt->setChecked(true);
  formel(QStringLiteral("1234,5*2"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  ASSERT_EQ(frRechn->edErgebnis->text(), QStringLiteral("2.469"));
  ASSERT_TRUE(frRechn->tbWert_Einf->isEnabled());

  StringGrid* sg = frKonstante->sgK;
  sg->setRow(zeileVon('c'));
  schweben(frRechn->tbWert_Einf);
  EXPECT_EQ(frRechn->tbWert_Einf->toolTip(),
            QStringLiteral("Ergebnis in Werte-Tabelle einfügen\n2.469 als c"));

  // An empty cell takes the value without asking, and without its grouping characters.
  klick(frRechn->tbWert_Einf);
  EXPECT_TRUE(meldungen.messages().empty());
  EXPECT_EQ(sg->Cells(1, zeileVon('c')), QStringLiteral("2469"));

  // A filled cell is overwritten only on Yes; the question names the letter alone.
  meldungen.answerWith({MessageAnswer::No});
  formel(QStringLiteral("1+1"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  klick(frRechn->tbWert_Einf);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Wert c = 2469 überschreiben?"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].buttons, MessageButtons::YesNo);
  EXPECT_EQ(sg->Cells(1, zeileVon('c')), QStringLiteral("2469"));
  klick(frRechn->tbWert_Einf);
  EXPECT_EQ(sg->Cells(1, zeileVon('c')), QStringLiteral("2"));

  // "-" as grouping character: the sign stays, the groups go.
  kolvex::TrennZeichen = '-';
  formel(QStringLiteral("0-1234567"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  ASSERT_EQ(frRechn->edErgebnis->text(), QStringLiteral("-1-234-567"));
  sg->setRow(zeileVon('Z'));
  klick(frRechn->tbWert_Einf);
  EXPECT_EQ(sg->Cells(1, zeileVon('Z')), QStringLiteral("-1234567"));

  // "Error" never reaches the table.
  formel(QStringLiteral("1/0"));
  QTest::keyClick(frRechn->ed1, Qt::Key_Return);
  EXPECT_FALSE(frRechn->tbWert_Einf->isEnabled());
  frRechn->tbWert_EinfClick();
  EXPECT_EQ(sg->Cells(1, zeileVon('Z')), QStringLiteral("-1234567"));
}

TEST_F(ToolBarTest, ErgebnisDatei) {
  QStringList geoeffnet;
  setShellOpenHook([&](const QString& datei) {
    geoeffnet << datei;
    return true;
  });
  const QString datei = QString::fromStdString(kolvex::ProgrammPfad) + QStringLiteral("result.txt");

  klick(frRechn->tbResults);
  EXPECT_TRUE(geoeffnet.isEmpty());
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, datei + QStringLiteral(" Datei nicht gefunden!"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Information);
  klick(frRechn->tbResults, Qt::RightButton);
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(meldungen.messages()[1].text, datei + QStringLiteral(" Datei nicht gefunden!"));

  DateiSchreiben(QStringLiteral("result.txt"), {QStringLiteral("1+1 = 2")});
  meldungen.clear();
  klick(frRechn->tbResults);
  EXPECT_EQ(geoeffnet, QStringList{datei});
  EXPECT_TRUE(meldungen.messages().empty());

  // The right button deletes, after asking; No keeps the file.
  meldungen.answerWith({MessageAnswer::No, MessageAnswer::Yes});
  klick(frRechn->tbResults, Qt::RightButton);
  EXPECT_TRUE(DateiDa(QStringLiteral("result.txt")));
  klick(frRechn->tbResults, Qt::RightButton);
  EXPECT_FALSE(DateiDa(QStringLiteral("result.txt")));
  ASSERT_EQ(meldungen.messages().size(), 2u);
  EXPECT_EQ(meldungen.messages()[0].text, QStringLiteral("Ergebnisse-Datei löschen?"));
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Question);
  EXPECT_EQ(geoeffnet.size(), 1);  // the right button never opens
}

TEST_F(ToolBarTest, ErgebnisDateiOhneProgrammZumOeffnenWarnt) {
  setShellOpenHook([](const QString&) { return false; });
  DateiSchreiben(QStringLiteral("result.txt"), {QStringLiteral("1+1 = 2")});
  const QString datei = QString::fromStdString(kolvex::ProgrammPfad) + QStringLiteral("result.txt");
  klick(frRechn->tbResults);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages()[0].text,
            QStringLiteral("Datei ") + datei +
                QStringLiteral(" konnte nicht geöffnet werden.\rDas System hat kein Programm gefunden, "
                               "das diese Datei öffnet."));
}

TEST_F(ToolBarTest, GrafikKnopfFolgtDerFormel) {
  formel(QStringLiteral("2+3"));
  EXPECT_FALSE(frRechn->tbGrafik->isEnabled());
  formel(QStringLiteral("2+x"));
  EXPECT_TRUE(frRechn->tbGrafik->isEnabled());
  // Another graph variable.
  kolvex::GrafikVariable = 't';
  frRechn->tbGrafik_Visible();
  EXPECT_FALSE(frRechn->tbGrafik->isEnabled());
  EXPECT_EQ(frRechn->tbGrafik->toolTip(), QStringLiteral("Grafik\nVariable = t"));
  formel(QStringLiteral("sin(t)"));
  EXPECT_TRUE(frRechn->tbGrafik->isEnabled());
}

TEST_F(ToolBarTest, ImmerObenBehaeltDieLage) {
  const QRect lage = frRechn->geometry();
  klick(frRechn->tbFormStyle);
  EXPECT_TRUE(frRechn->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(frRechn->isVisible());
  EXPECT_EQ(frRechn->geometry(), lage);
  klick(frRechn->tbFormStyle);
  EXPECT_FALSE(frRechn->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_TRUE(frRechn->isVisible());
}

TEST_F(ToolBarTest, LayoutRegeln) {
  // Never narrower than 343 pixels with the frame (the rules count 8 pixels a side).
  frRechn->resize(200, frRechn->height());
  QCoreApplication::processEvents();
  EXPECT_GE(frRechn->width() + 16, 343);
  EXPECT_GE(frRechn->width() + 16,
            frRechn->plFunktionen->width() + frRechn->plZahlen->width() + 12);

  frRechn->resize(500, frRechn->height());
  QCoreApplication::processEvents();
  EXPECT_EQ(frRechn->width(), 500);
  EXPECT_EQ(frRechn->ed1->width(), 500 + 16 - 26 - 4);
  EXPECT_EQ(frRechn->edErgebnis->width(), frRechn->ed1->width() - 50);
  // The keypad areas side by side, one pixel apart, centred.
  const QRect f = frRechn->plFunktionen->geometry();
  const QRect z = frRechn->plZahlen->geometry();
  EXPECT_EQ(z.left(), f.left() + f.width() + 1);
  EXPECT_LE(qAbs(f.left() - (frRechn->plTasten->width() - z.right() - 1)), 2);
  // SR and TR at the right edge of the top area, 5 pixels apart.
  const QRect sr = frRechn->plSparR->geometry();
  const QRect tr = frRechn->plTilgR->geometry();
  EXPECT_EQ(frRechn->plOben->width() - (sr.right() + 1), 5);
  EXPECT_EQ(sr.left() - (tr.right() + 1), 5);
  // The tool bar centred by the spacer.
  EXPECT_LE(qAbs(frRechn->plMenu_L->width() -
                 (frRechn->plMenu->width() - frRechn->ToolBar1->width()) / 2), 1);
  // lbESC lies 75 pixels into the result field.
  EXPECT_EQ(frRechn->lbESC->x(), frRechn->edErgebnis->x() + 75);
}

}  // namespace
