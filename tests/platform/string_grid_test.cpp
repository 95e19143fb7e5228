#include <QAbstractButton>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "core/tastenfilter.h"
#include "platform/string_grid.h"
#include "support/kopfzeile.h"
#include "support/warten.h"

TEST(StringGrid, CellsAndFixedRowAndColumnAsHeaders) {
  StringGrid g;
  g.setColCount(3);
  g.setRowCount(4);
  g.setCells(0, 0, "Var");
  g.setCells(1, 0, "Wert");
  g.setCells(0, 2, "b");
  g.setCells(1, 2, "2,5");
  EXPECT_EQ(g.Cells(1, 2), QStringLiteral("2,5"));
  EXPECT_EQ(g.Cells(2, 3), QString());
  EXPECT_EQ(g.Cells(7, 70), QString());
  EXPECT_EQ(g.Cells(-1, 0), QString());
  QAbstractItemModel* m = g.model();
  EXPECT_EQ(m->rowCount(), 3);
  EXPECT_EQ(m->columnCount(), 2);
  EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Wert"));
  EXPECT_EQ(m->headerData(1, Qt::Vertical).toString(), QStringLiteral("b"));
  EXPECT_EQ(m->data(g.indexOf(1, 2)).toString(), QStringLiteral("2,5"));
  // A text written beyond the size shows once the grid grows; shrinking drops it.
  g.setCells(1, 9, "spaeter");
  g.setRowCount(10);
  EXPECT_EQ(g.Cells(1, 9), QStringLiteral("spaeter"));
  g.setRowCount(4);
  g.setRowCount(10);
  EXPECT_EQ(g.Cells(1, 9), QString());
}

TEST(StringGrid, MillionRows) {
  StringGrid g;
  g.setColCount(3);
  g.show();
  g.setRowCount(1'000'001);
  EXPECT_EQ(g.RowCount(), 1'000'001);
  EXPECT_EQ(g.model()->rowCount(), 1'000'000);
  g.setCells(2, 1'000'000, "letzte");
  g.setRow(1'000'000);
  QCoreApplication::processEvents();
  EXPECT_EQ(g.Cells(2, 1'000'000), QStringLiteral("letzte"));
  EXPECT_EQ(g.Row(), 1'000'000);
  g.setRowCount(2);
  EXPECT_EQ(g.Cells(2, 1'000'000), QString());
}

TEST(StringGrid, CurrentCellAndSignal) {
  StringGrid g;
  EXPECT_EQ(g.Row(), 1);
  EXPECT_EQ(g.Col(), 1);
  int col = -1, row = -1;
  QObject::connect(&g, &StringGrid::currentCellChanged, [&](int c, int r) { col = c, row = r; });
  g.setRow(3);
  g.setCol(2);
  EXPECT_EQ(g.Row(), 3);
  EXPECT_EQ(g.Col(), 2);
  EXPECT_EQ(col, 2);
  EXPECT_EQ(row, 3);
  g.setRow(0);  // the header row is not a cell
  EXPECT_EQ(g.Row(), 3);
}

TEST(StringGrid, EditorWritesCellOnEveryKeystrokeThroughItsFilter) {
  StringGrid g;
  g.setColCount(2);
  g.setRowCount(3);
  g.setEditing(true);
  g.setKeyFilter(1, [](const std::string& t, char k, int) { return kolvex::WertTasteFiltern(t, k); });
  g.show();
  g.setRow(2);
  g.setCol(1);
  std::vector<QString> seen;
  QObject::connect(&g, &StringGrid::cellChanged, [&](int c, int r) { seen.push_back(g.Cells(c, r)); });
  g.edit(g.indexOf(1, 2));
  auto* editor = g.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, QStringLiteral("1.5x"));
  EXPECT_EQ(seen, std::vector<QString>({"1", "1,", "1,5"}));
  EXPECT_EQ(g.Cells(1, 2), QStringLiteral("1,5"));
  QTest::keyClick(editor, Qt::Key_Backspace);
  EXPECT_EQ(g.Cells(1, 2), QStringLiteral("1,"));
  EXPECT_EQ(editor->cursorPosition(), 2);  // the write-back did not move the caret
}

TEST(StringGrid, FixedCellsAreNotEditableAndColourHook) {
  StringGrid g;
  g.setColCount(3);
  g.setRowCount(3);
  g.setFixedRows(2);
  g.setEditing(true);
  EXPECT_FALSE(g.model()->flags(g.indexOf(1, 1)) & Qt::ItemIsEditable);
  EXPECT_TRUE(g.model()->flags(g.indexOf(1, 2)) & Qt::ItemIsEditable);
  g.setCellColorHook([](int col, int row, QColor& bg, QColor& fg) {
    if (row == 2) bg = QColor(0x80, 0xFF, 0x80);
    if (col == 2) fg = Qt::red;
  });
  EXPECT_EQ(g.model()->data(g.indexOf(1, 2), Qt::BackgroundRole).value<QBrush>().color(),
            QColor(0x80, 0xFF, 0x80));
  EXPECT_EQ(g.model()->data(g.indexOf(2, 1), Qt::ForegroundRole).value<QBrush>().color(),
            QColor(Qt::red));
  g.setColWidth(2, 120);
  EXPECT_EQ(g.colWidth(2), 120);
  g.setColWidth(0, 40);
  EXPECT_EQ(g.colWidth(0), 40);
  EXPECT_EQ(g.verticalHeader()->width(), 40);
}

TEST(StringGrid, EditorKeepsTextsLongerThanALineEditsDefaultLimit) {
  StringGrid g;
  g.setColCount(2);
  g.setRowCount(3);
  g.setEditing(true);
  g.show();
  const QString lang = QStringLiteral("1+").repeated(25'000) + QStringLiteral("1");
  g.setCells(1, 1, lang);
  g.setRow(1);
  g.setCol(1);
  g.edit(g.indexOf(1, 1));
  auto* editor = g.findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  EXPECT_EQ(editor->text().size(), lang.size());
  editor->end(false);
  QTest::keyClicks(editor, QStringLiteral("+2"));
  EXPECT_EQ(g.Cells(1, 1), lang + QStringLiteral("+2"));
}

// Clicking the cell that is already current and typing at once: the key that opens the
// editor must reach it, whether or not events are processed between click and key.
TEST(StringGrid, FirstKeyAfterClickOnTheSelectedCellReachesTheEditor) {
  // Between click and key: nothing, one pass of the event loop, everything posted and the
  // window manager's answers.
  for (int warten : {0, 1, 2}) {
    SCOPED_TRACE(warten);
    StringGrid g;
    g.setColCount(3);
    g.setRowCount(4);
    g.setEditing(true);
    g.show();
    g.activateWindow();
    ASSERT_TRUE(AktivAbwarten(&g));
    g.setFocus();
    g.setRow(2);
    g.setCol(1);
    const QPoint mitte = g.visualRect(g.indexOf(1, 2)).center();
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, mitte);
    // A delayed editor of the view's would open one double-click interval after the click, on
    // a coarse timer (up to 5 % late); this one, started after it and precise, fires later.
    QTimer danach;
    danach.setSingleShot(true);
    danach.setTimerType(Qt::PreciseTimer);
    bool vorbei = false;
    QObject::connect(&danach, &QTimer::timeout, [&] { vorbei = true; });
    danach.start(QApplication::doubleClickInterval() * 21 / 20 + 1);
    if (warten == 1) QCoreApplication::processEvents();
    if (warten == 2) FensterManagerAbgleichen();
    // Keys go where the user's keys go: to the widget that has the focus.
    auto tippen = [](const QString& text) {
      for (QChar c : text) QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    };
    tippen(QStringLiteral("SIN(x)"));
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("SIN(x)"));
    // The delayed edit of the click must not undo what was typed.
    ASSERT_TRUE(Warten([&] { return vorbei; }));
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("SIN(x)"));
    tippen(QStringLiteral("+1"));
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("SIN(x)+1"));
  }
}

// The top-left fixed cell is a header like the others: it shows its text in its colour.
TEST(StringGrid, TopLeftCellShowsItsText) {
  StringGrid g;
  g.setColCount(3);
  g.setRowCount(3);
  g.setColWidth(0, 60);
  g.setCellColorHook([](int col, int row, QColor& hintergrund, QColor&) {
    if (col == 0 && row == 0) hintergrund = QColor(0, 255, 0);
  });
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  QWidget* ecke = nullptr;
  for (QAbstractButton* b : g.findChildren<QAbstractButton*>())
    if (b->parentWidget() == &g && b->isVisible()) ecke = b;
  ASSERT_NE(ecke, nullptr);
  ASSERT_GT(ecke->width(), 20);
  const QImage leer = ecke->grab().toImage();
  const QColor farbe = leer.pixelColor(leer.width() - 4, leer.height() / 2);
  EXPECT_GT(farbe.green(), 200);  // the style may shade the section a little
  EXPECT_LT(farbe.red(), 120);
  EXPECT_LT(farbe.blue(), 120);
  g.setCells(0, 0, "Nr");
  FensterManagerAbgleichen();
  const QImage mitText = ecke->grab().toImage();
  EXPECT_NE(mitText, leer);  // the text is drawn, and redrawn when it changes
  g.setCells(0, 0, "");
  FensterManagerAbgleichen();
  EXPECT_EQ(ecke->grab().toImage(), leer);
}


// Widths chosen for another font must not cut a heading: neither the program's widths nor
// the user's dragging make a column narrower than its heading needs.
TEST(StringGrid, NoColumnIsNarrowerThanItsHeading) {
  StringGrid g;
  g.setColCount(4);
  g.setRowCount(3);
  g.setColWidth(0, 10);
  g.setColWidth(1, 10);
  g.setColWidth(2, 300);
  g.setColWidth(3, 8);
  g.setCells(0, 0, "Var");
  g.setCells(1, 0, " Kommentar");
  g.setCells(2, 0, " Faktor");
  g.show();
  EXPECT_GE(g.colWidth(0), KopfBedarf(&g, "Var"));
  EXPECT_EQ(g.verticalHeader()->width(), g.colWidth(0));
  EXPECT_GE(g.colWidth(1), KopfBedarf(&g, " Kommentar"));
  EXPECT_EQ(g.colWidth(2), 300);  // wide enough already
  EXPECT_EQ(g.colWidth(3), 8);    // no heading, nothing to read
  // Set again narrower, dragged narrower, and a bolder font.
  g.setColWidth(1, 20);
  EXPECT_GE(g.colWidth(1), KopfBedarf(&g, " Kommentar"));
  g.horizontalHeader()->resizeSection(0, 15);
  EXPECT_GE(g.colWidth(1), KopfBedarf(&g, " Kommentar"));
  QFont fett = g.font();
  fett.setBold(true);
  fett.setPointSize(fett.pointSize() + 4);
  g.setFont(fett);
  g.horizontalHeader()->setFont(fett);
  g.setColWidth(1, 20);
  EXPECT_GE(g.colWidth(0), KopfBedarf(&g, "Var"));
  EXPECT_GE(g.colWidth(1), KopfBedarf(&g, " Kommentar"));
  // A heading written later widens its column.
  g.setCells(3, 0, " Einheit 2");
  EXPECT_GE(g.colWidth(3), KopfBedarf(&g, " Einheit 2"));
  // Columns without a heading row keep any width.
  g.setFixedRows(0);
  g.setColWidth(1, 20);
  EXPECT_EQ(g.colWidth(1), 20);
}

// The top-left heading is drawn in the header's text colour on its own colour, like the
// headings beside it, not greyed as a disabled button.
TEST(StringGrid, TopLeftHeadingIsNotGreyed) {
  StringGrid g;
  g.setColCount(2);
  g.setRowCount(3);
  g.setCells(0, 0, "Var");
  g.setCells(1, 0, "Wert");
  g.setCellColorHook([](int, int row, QColor& hintergrund, QColor&) {
    if (row == 0) hintergrund = QColor(0x00, 0xFF, 0x00);
  });
  g.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
  QWidget* ecke = g.findChild<QAbstractButton*>(QStringLiteral("StringGridEcke"));
  ASSERT_NE(ecke, nullptr);
  QHeaderView* h = g.horizontalHeader();
  const QImage nachbar =
      h->viewport()->grab(QRect(0, 0, h->sectionSize(0), h->height())).toImage();
  const int text = Dunkelste(nachbar);
  ASSERT_LT(text, 100);
  EXPECT_LE(Dunkelste(ecke->grab().toImage()), text + 20);
}
