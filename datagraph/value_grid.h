#pragma once
// The data graph's value grid sg1: a table view over a ValueTable. Row 0 of the table is
// the view's column header, every other row a body row; column 0 ("Nr") is an ordinary,
// selectable column. The chosen X and Y columns are coloured through the model's roles.
// Rows have one fixed height, so a million of them cost nothing to lay out.
#include <QAbstractTableModel>
#include <QTableView>
#include <functional>

#include "datagraph/value_table.h"

class ValueTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit ValueTableModel(ValueTable* table, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

  // The chosen X and Y columns (table columns; -1 = none).
  void setChannels(int x, int y);
  int xChannel() const { return x_; }
  int yChannel() const { return y_; }
  // The table changed in size or in many cells.
  void reload();

 private:
  ValueTable* table_;
  int x_ = -1;
  int y_ = -1;
};

class ValueGrid : public QTableView {
  Q_OBJECT

 public:
  explicit ValueGrid(QWidget* parent = nullptr);

  ValueTable& table() { return table_; }
  const ValueTable& table() const { return table_; }
  ValueTableModel* tableModel() const { return model_; }

  // The StringGrid interface, in table coordinates (row 0 the header, column 0 "Nr").
  QString Cells(int col, int row) const { return table_.cell(col, row); }
  void setCells(int col, int row, const QString& text);
  int RowCount() const { return table_.rowCount(); }
  int ColCount() const { return table_.columnCount(); }
  void setRowCount(int n);
  void setColCount(int n);
  // Every cell empty and 2 rows (the column count stays); the cells' memory is given back.
  void clearCells();
  // Call after writing the table directly (importers, readers).
  void tableChanged() { model_->reload(); }

  // The table column at a point of the view's viewport or of its header (-1: none).
  int columnAtPoint(const QPoint& viewportPos) const;

  // Test hook: called inside the header's reset when it takes a new number of columns, where
  // Qt allocates their sections (it may throw std::bad_alloc there).
  static inline std::function<void()> KopfTestHook;

 private:
  ValueTable table_;
  ValueTableModel* model_;
};
