#include "datagraph/value_grid.h"

#include <QHeaderView>

#include "platform/bgr_color.h"

namespace {
// Chosen columns: pale violet with blue text.
const QColor kWahlHintergrund = colorFromBgr(0xFFCCEA);
const QColor kWahlText = Qt::blue;
}  // namespace

ValueTableModel::ValueTableModel(ValueTable* table, QObject* parent)
    : QAbstractTableModel(parent), table_(table) {}

int ValueTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(0, table_->rowCount() - 1);
}

int ValueTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : table_->columnCount();
}

QVariant ValueTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int col = index.column();
  const bool gewaehlt = col == x_ || col == y_;
  switch (role) {
    case Qt::DisplayRole:
      return table_->cell(col, index.row() + 1);
    case Qt::BackgroundRole:
      return gewaehlt ? QVariant(kWahlHintergrund) : QVariant(QColor(Qt::white));
    case Qt::ForegroundRole:
      return gewaehlt ? QVariant(kWahlText) : QVariant(QColor(Qt::black));
    case Qt::TextAlignmentRole:
      return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

QVariant ValueTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal) {
    if (role == Qt::DisplayRole) return table_->cell(section, 0);
    if (role == Qt::TextAlignmentRole) return QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

void ValueTableModel::setChannels(int x, int y) {
  if (x == x_ && y == y_) return;
  const int alt[2] = {x_, y_};
  x_ = x;
  y_ = y;
  const int rows = rowCount();
  if (rows == 0) return;
  for (int c : {alt[0], alt[1], x_, y_}) {
    if (c >= 0 && c < columnCount()) emit dataChanged(index(0, c), index(rows - 1, c));
  }
}

void ValueTableModel::reload() {
  beginResetModel();
  endResetModel();
}

// ---------------------------------------------------------------------------------------------

ValueGrid::ValueGrid(QWidget* parent) : QTableView(parent), model_(new ValueTableModel(&table_, this)) {
  setModel(model_);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  connect(horizontalHeader(), &QHeaderView::sectionCountChanged, this, [] {
    if (KopfTestHook) KopfTestHook();
  });
}

void ValueGrid::setCells(int col, int row, const QString& text) {
  table_.setCell(col, row, text);
  if (row == 0) {
    emit model_->headerDataChanged(Qt::Horizontal, col, col);
  } else if (row < table_.rowCount() && col < table_.columnCount()) {
    const QModelIndex i = model_->index(row - 1, col);
    emit model_->dataChanged(i, i);
  }
}

void ValueGrid::setRowCount(int n) {
  table_.setSize(table_.columnCount(), n);
  model_->reload();
}

void ValueGrid::setColCount(int n) {
  table_.setSize(n, table_.rowCount());
  model_->reload();
}

void ValueGrid::clearCells() {
  table_.clear();
  model_->reload();
}

int ValueGrid::columnAtPoint(const QPoint& viewportPos) const {
  return columnAt(viewportPos.x());
}
