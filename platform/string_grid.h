#pragma once
// A classic string grid: texts addressed by (column, row), the first fixed row and column
// shown as the column and row headers, in-place editing that writes the cell on every
// keystroke. Texts are kept per column in plain vectors (no item per cell), and growing the
// row count costs nothing until cells are written, so the grid holds millions of rows.
#include <QColor>
#include <QTableView>
#include <QVector>
#include <functional>

#include "platform/key_filter.h"

class StringGridModel;

class StringGrid : public QTableView {
  Q_OBJECT

 public:
  explicit StringGrid(QWidget* parent = nullptr);
  ~StringGrid() override;

  // Texts. Reading outside the stored range gives ""; writing with a negative index is
  // ignored, writing beyond ColCount/RowCount stores the text for when the grid grows.
  QString Cells(int col, int row) const;
  void setCells(int col, int row, const QString& text);
  // Clears every text (counts stay).
  void clearCells();

  int ColCount() const;
  int RowCount() const;
  void setColCount(int n);
  void setRowCount(int n);  // cheap; texts of dropped rows are discarded
  // Fixed rows/columns (default 1 each): the first one is the header, further ones are
  // drawn in the fixed colour and cannot be edited.
  int FixedCols() const;
  int FixedRows() const;
  void setFixedCols(int n);
  void setFixedRows(int n);

  // Current cell (grid indices); with no current cell Row() = FixedRows(), Col() = FixedCols().
  int Row() const;
  int Col() const;
  void setRow(int row);
  void setCol(int col);
  // Marks a whole row instead of one cell.
  void setRowSelect(bool on);
  bool rowSelect() const { return rowSelect_; }

  // Editing in place (default off).
  void setEditing(bool on);
  bool editing() const { return editing_; }
  // Key filter for the editors of a column (-1: all columns without their own filter).
  void setKeyFilter(int col, KeyFilterFn filter);

  // Widths in pixels. A column is never made narrower than its heading (row 0) needs, in
  // the header's font: the program's widths and the user's dragging stop there.
  void setColWidth(int col, int w);
  int colWidth(int col) const;
  // A column of numbers is as wide as its longest text where the grid has room: never
  // narrower than its set width, wider only into the room the viewport leaves beside the
  // other columns. Measures the column's texts now (call it once the column is filled); the
  // width follows the grid's width from then on.
  void fitColumnToTexts(int col);
  void setDefaultColWidth(int w);
  void setDefaultRowHeight(int h);
  int defaultRowHeight() const;

  // Colour hook: may set background and/or text colour of a cell (grid indices, fixed cells
  // included); leaving a colour invalid keeps the default. Called on every paint of a
  // visible cell, so it must be cheap.
  using CellColorFn = std::function<void(int col, int row, QColor& background, QColor& text)>;
  void setCellColorHook(CellColorFn hook);

  // Grid index <-> model index of the view (invalid for the header row/column).
  QModelIndex indexOf(int col, int row) const;
  int gridRow(const QModelIndex& index) const;
  int gridCol(const QModelIndex& index) const;

  // Internal: used by the model and the editor delegate.
  KeyFilterFn keyFilterFor(int col) const;
  const CellColorFn& cellColorHook() const { return colorHook_; }

 signals:
  // A text changed by the user's editing (every keystroke), not by setCells().
  void cellChanged(int col, int row);
  // The current cell moved.
  void currentCellChanged(int col, int row);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  void applyFixedLayout();
  void applyFittedWidths();
  // The width the heading of column col needs (0 without a heading).
  int kopfBreite(int col) const;

  StringGridModel* model_;
  bool rowSelect_ = false;
  bool editing_ = false;
  bool clickOnCurrent_ = false;  // the left button went down on the current cell
  int defaultColWidth_ = 64;
  QVector<int> colWidths_;  // -1 = default
  QVector<int> textWidths_;  // what fitColumnToTexts measured; 0 = not fitted
  KeyFilterFn allColsFilter_;
  QVector<KeyFilterFn> colFilters_;
  CellColorFn colorHook_;
};

// Empties every cell of rows 1 to RowCount - 1; row 0 and the row count stay.
void GitterLeeren(StringGrid* grid);
