#include "platform/string_grid.h"

#include <QAbstractButton>
#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QStyleOptionHeader>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/line_edit.h"

// ---- Model ---------------------------------------------------------------------------------
// Texts per grid column, each vector only as long as its last written row: growing the row
// count is free, and a million rows cost memory only where there are texts.
class StringGridModel : public QAbstractTableModel {
 public:
  explicit StringGridModel(StringGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

  int headerRows() const { return fixedRows_ > 0 ? 1 : 0; }
  int headerCols() const { return fixedCols_ > 0 ? 1 : 0; }
  int viewRows() const { return qMax(0, rowCount_ - headerRows()); }
  int viewCols() const { return qMax(0, colCount_ - headerCols()); }

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : viewRows();
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : viewCols();
  }

  QString cell(int col, int row) const {
    if (col < 0 || row < 0 || col >= cols_.size()) return {};
    const QVector<QString>& c = cols_[col];
    return row < c.size() ? c[row] : QString();
  }

  // Returns true when the text changed.
  bool store(int col, int row, const QString& text) {
    if (col < 0 || row < 0) return false;
    if (col >= cols_.size()) {
      if (text.isEmpty()) return false;
      cols_.resize(col + 1);
    }
    QVector<QString>& c = cols_[col];
    if (row >= c.size()) {
      if (text.isEmpty()) return false;
      c.resize(row + 1);
    }
    if (c[row] == text) return false;
    c[row] = text;
    return true;
  }

  void setCell(int col, int row, const QString& text) {
    if (!store(col, row, text)) return;
    notifyCell(col, row);
  }

  void notifyCell(int col, int row) {
    if (col >= colCount_ || row >= rowCount_) return;
    const int vc = col - headerCols(), vr = row - headerRows();
    if (vr < 0 && vc < 0) {
      if (auto* ecke = grid_->findChild<QAbstractButton*>(QStringLiteral("StringGridEcke"))) ecke->update();
      return;
    }
    if (vr < 0) {
      emit headerDataChanged(Qt::Horizontal, vc, vc);
    } else if (vc < 0) {
      emit headerDataChanged(Qt::Vertical, vr, vr);
    } else {
      const QModelIndex i = index(vr, vc);
      emit dataChanged(i, i, {Qt::DisplayRole, Qt::EditRole});
    }
  }

  void clearAll() {
    beginResetModel();
    cols_.clear();
    endResetModel();
  }

  void setCounts(int cols, int rows) {
    cols = qMax(0, cols);
    rows = qMax(0, rows);
    const int oldViewCols = viewCols(), oldViewRows = viewRows();
    // Rows first, with the old column count.
    if (rows != rowCount_) {
      const int newViewRows = qMax(0, rows - headerRows());
      if (newViewRows > oldViewRows) {
        beginInsertRows({}, oldViewRows, newViewRows - 1);
        rowCount_ = rows;
        endInsertRows();
      } else if (newViewRows < oldViewRows) {
        beginRemoveRows({}, newViewRows, oldViewRows - 1);
        rowCount_ = rows;
        endRemoveRows();
      } else {
        rowCount_ = rows;
      }
      for (QVector<QString>& c : cols_)
        if (c.size() > rows) c.resize(rows);
    }
    if (cols != colCount_) {
      const int newViewCols = qMax(0, cols - headerCols());
      if (newViewCols > oldViewCols) {
        beginInsertColumns({}, oldViewCols, newViewCols - 1);
        colCount_ = cols;
        endInsertColumns();
      } else if (newViewCols < oldViewCols) {
        beginRemoveColumns({}, newViewCols, oldViewCols - 1);
        colCount_ = cols;
        endRemoveColumns();
      } else {
        colCount_ = cols;
      }
      if (cols_.size() > cols) cols_.resize(cols);
    }
  }

  void setFixed(int fixedCols, int fixedRows) {
    beginResetModel();
    fixedCols_ = qMax(0, fixedCols);
    fixedRows_ = qMax(0, fixedRows);
    endResetModel();
  }

  bool isFixed(int col, int row) const { return col < fixedCols_ || row < fixedRows_; }

  QVariant colour(int col, int row, int role) const {
    QColor background, text;
    if (const auto& hook = grid_->cellColorHook()) hook(col, row, background, text);
    if (role == Qt::BackgroundRole) {
      if (background.isValid()) return QBrush(background);
      if (isFixed(col, row)) return QBrush(grid_->palette().color(QPalette::Button));
      return {};
    }
    if (text.isValid()) return QBrush(text);
    return {};
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    const int col = index.column() + headerCols(), row = index.row() + headerRows();
    switch (role) {
      case Qt::DisplayRole:
      case Qt::EditRole:
        return cell(col, row);
      case Qt::BackgroundRole:
      case Qt::ForegroundRole:
        return colour(col, row, role);
      default:
        return {};
    }
  }

  QVariant headerData(int section, Qt::Orientation o, int role) const override {
    const int col = o == Qt::Horizontal ? section + headerCols() : 0;
    const int row = o == Qt::Horizontal ? 0 : section + headerRows();
    switch (role) {
      case Qt::DisplayRole:
        return cell(col, row);
      case Qt::BackgroundRole:
      case Qt::ForegroundRole:
        if (!grid_->cellColorHook()) return {};
        return colour(col, row, role);
      default:
        return {};
    }
  }

  Qt::ItemFlags flags(const QModelIndex& index) const override {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const int col = index.column() + headerCols(), row = index.row() + headerRows();
    if (grid_->editing() && !isFixed(col, row)) f |= Qt::ItemIsEditable;
    return f;
  }

  bool setData(const QModelIndex& index, const QVariant& value, int role) override {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const int col = index.column() + headerCols(), row = index.row() + headerRows();
    if (store(col, row, value.toString())) {
      emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
      emit grid_->cellChanged(col, row);
    }
    return true;
  }

  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedCols_ = 1;
  int fixedRows_ = 1;

 private:
  StringGrid* grid_;
  QVector<QVector<QString>> cols_;
};

// ---- In-place editor -------------------------------------------------------------------------
namespace {

class StringGridDelegate : public QStyledItemDelegate {
 public:
  explicit StringGridDelegate(StringGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    auto* edit = new QLineEdit(parent);
    edit->setFrame(false);
    liftTextLimit(edit);
    // A cell is one entry of a line-based file: a pasted line break becomes a blank.
    keepSingleLine(edit);
    const int col = grid_->gridCol(index);
    if (KeyFilterFn filter = grid_->keyFilterFor(col)) installKeyFilter(edit, std::move(filter));
    // The program reads the cells while the user types: every keystroke goes to the cell.
    const QPersistentModelIndex where(index);
    connect(edit, &QLineEdit::textChanged, edit, [where](const QString& text) {
      if (!where.isValid()) return;
      auto* model = const_cast<QAbstractItemModel*>(where.model());
      if (model->data(where, Qt::EditRole).toString() != text)
        model->setData(where, text, Qt::EditRole);
    });
    return edit;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    auto* edit = static_cast<QLineEdit*>(editor);
    const QString text = index.data(Qt::EditRole).toString();
    // Called again after each keystroke's write; leave the caret alone then.
    if (edit->text() != text) edit->setText(text);
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override {
    const QString text = static_cast<QLineEdit*>(editor)->text();
    if (model->data(index, Qt::EditRole).toString() != text)
      model->setData(index, text, Qt::EditRole);
  }

 private:
  StringGrid* grid_;
};

}  // namespace

namespace {

// The view's corner button shows no text of its own: it is painted as the header section of
// the top-left fixed cell, with that cell's text and colours.
class StringGridEckenMaler : public QObject {
 public:
  StringGridEckenMaler(StringGrid* grid, QWidget* ecke) : QObject(ecke), grid_(grid) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::Paint) return false;
    auto* ecke = static_cast<QWidget*>(watched);
    QStyleOptionHeader opt;
    opt.initFrom(ecke);
    // The button is disabled (it selects nothing), which would grey its text: the cell is
    // drawn as the enabled header section it stands for, like its neighbours.
    opt.state |= QStyle::State_Enabled;
    opt.palette.setCurrentColorGroup(ecke->isActiveWindow() ? QPalette::Active : QPalette::Inactive);
    opt.rect = ecke->rect();
    opt.position = QStyleOptionHeader::OnlyOneSection;
    opt.text = grid_->Cells(0, 0);
    opt.textAlignment = grid_->horizontalHeader()->defaultAlignment();
    QColor hintergrund, text;
    if (grid_->cellColorHook()) grid_->cellColorHook()(0, 0, hintergrund, text);
    if (hintergrund.isValid()) {
      opt.palette.setBrush(QPalette::Button, hintergrund);
      opt.palette.setBrush(QPalette::Window, hintergrund);
    }
    if (text.isValid()) opt.palette.setColor(QPalette::ButtonText, text);
    QPainter p(ecke);
    p.setFont(grid_->horizontalHeader()->font());
    ecke->style()->drawControl(QStyle::CE_Header, &opt, &p, ecke);
    return true;
  }

 private:
  StringGrid* grid_;
};

}  // namespace

// ---- Grid ----------------------------------------------------------------------------------
StringGrid::StringGrid(QWidget* parent) : QTableView(parent), model_(new StringGridModel(this)) {
  setModel(model_);
  setItemDelegate(new StringGridDelegate(this));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  for (QAbstractButton* ecke : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
    ecke->setObjectName(QStringLiteral("StringGridEcke"));
    ecke->installEventFilter(new StringGridEckenMaler(this, ecke));
  }

  QHeaderView* h = horizontalHeader();
  h->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  h->setHighlightSections(false);
  h->setSectionResizeMode(QHeaderView::Interactive);
  h->setMinimumSectionSize(4);
  QHeaderView* v = verticalHeader();
  v->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  v->setHighlightSections(false);
  v->setSectionResizeMode(QHeaderView::Fixed);
  v->setMinimumSectionSize(4);

  // A column the user drags narrower than its heading stops where the heading still reads.
  connect(h, &QHeaderView::sectionResized, this, [this](int vc, int, int neu) {
    if (horizontalHeader()->isSectionHidden(vc)) return;
    const int mindest = kopfBreite(vc + model_->headerCols());
    if (neu < mindest) horizontalHeader()->resizeSection(vc, mindest);
  });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) {
            if (current.isValid()) emit currentCellChanged(gridCol(current), gridRow(current));
          });
  setDefaultRowHeight(24);
  applyFixedLayout();
}

StringGrid::~StringGrid() = default;

QString StringGrid::Cells(int col, int row) const { return model_->cell(col, row); }

void StringGrid::setCells(int col, int row, const QString& text) {
  model_->setCell(col, row, text);
  if (row == 0 && model_->headerRows() > 0) applyFixedLayout();
}

void StringGrid::clearCells() { model_->clearAll(); }

int StringGrid::ColCount() const { return model_->colCount_; }
int StringGrid::RowCount() const { return model_->rowCount_; }

void StringGrid::setColCount(int n) {
  model_->setCounts(n, model_->rowCount_);
  applyFixedLayout();
}

void StringGrid::setRowCount(int n) { model_->setCounts(model_->colCount_, n); }

int StringGrid::FixedCols() const { return model_->fixedCols_; }
int StringGrid::FixedRows() const { return model_->fixedRows_; }

void StringGrid::setFixedCols(int n) {
  model_->setFixed(n, model_->fixedRows_);
  applyFixedLayout();
}

void StringGrid::setFixedRows(int n) {
  model_->setFixed(model_->fixedCols_, n);
  applyFixedLayout();
}

QModelIndex StringGrid::indexOf(int col, int row) const {
  return model_->index(row - model_->headerRows(), col - model_->headerCols());
}

int StringGrid::gridRow(const QModelIndex& index) const {
  return index.row() + model_->headerRows();
}

int StringGrid::gridCol(const QModelIndex& index) const {
  return index.column() + model_->headerCols();
}

int StringGrid::Row() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? gridRow(i) : model_->fixedRows_;
}

int StringGrid::Col() const {
  const QModelIndex i = currentIndex();
  return i.isValid() ? gridCol(i) : model_->fixedCols_;
}

void StringGrid::setRow(int row) {
  const QModelIndex i = indexOf(Col(), row);
  if (!i.isValid()) return;
  setCurrentIndex(i);
  scrollTo(i);
}

void StringGrid::setCol(int col) {
  const QModelIndex i = indexOf(col, Row());
  if (!i.isValid()) return;
  setCurrentIndex(i);
  scrollTo(i);
}

void StringGrid::setRowSelect(bool on) {
  rowSelect_ = on;
  setSelectionBehavior(on ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  const QModelIndex i = currentIndex();
  if (i.isValid()) selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect |
                                                            (on ? QItemSelectionModel::Rows
                                                                : QItemSelectionModel::NoUpdate));
}

void StringGrid::setEditing(bool on) {
  editing_ = on;
  // No SelectedClicked: the view opens that editor only after the double-click interval and
  // meanwhile refuses to open one for a typed key, which the user then loses. A click on the
  // current cell opens the editor at once instead (mouseReleaseEvent).
  setEditTriggers(on ? (QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                        QAbstractItemView::AnyKeyPressed)
                     : QAbstractItemView::NoEditTriggers);
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
  const QModelIndex at = indexAt(event->position().toPoint());
  clickOnCurrent_ = editing_ && event->button() == Qt::LeftButton && at.isValid() &&
                    at == currentIndex() && state() != EditingState;
  QTableView::mousePressEvent(event);
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
  const bool open = clickOnCurrent_ && event->button() == Qt::LeftButton &&
                    indexAt(event->position().toPoint()) == currentIndex();
  clickOnCurrent_ = false;
  QTableView::mouseReleaseEvent(event);
  if (open && state() != EditingState && currentIndex().isValid()) edit(currentIndex());
}

void StringGrid::setKeyFilter(int col, KeyFilterFn filter) {
  if (col < 0) {
    allColsFilter_ = std::move(filter);
    return;
  }
  if (colFilters_.size() <= col) colFilters_.resize(col + 1);
  colFilters_[col] = std::move(filter);
}

KeyFilterFn StringGrid::keyFilterFor(int col) const {
  if (col >= 0 && col < colFilters_.size() && colFilters_[col]) return colFilters_[col];
  return allColsFilter_;
}

void StringGrid::setColWidth(int col, int w) {
  if (col < 0) return;
  if (colWidths_.size() <= col) colWidths_.resize(col + 1, -1);
  colWidths_[col] = w;
  applyFixedLayout();
}

int StringGrid::colWidth(int col) const {
  if (col == 0 && model_->headerCols() > 0) return verticalHeader()->width();
  const int vc = col - model_->headerCols();
  if (vc >= 0 && vc < model_->viewCols()) return horizontalHeader()->sectionSize(vc);
  if (col >= 0 && col < colWidths_.size() && colWidths_[col] >= 0) return colWidths_[col];
  return defaultColWidth_;
}

void StringGrid::setDefaultColWidth(int w) {
  defaultColWidth_ = w;
  horizontalHeader()->setDefaultSectionSize(w);
  applyFixedLayout();
}

void StringGrid::setDefaultRowHeight(int h) {
  verticalHeader()->setDefaultSectionSize(h);
  horizontalHeader()->setFixedHeight(h);
}

int StringGrid::defaultRowHeight() const { return verticalHeader()->defaultSectionSize(); }

void StringGrid::setCellColorHook(CellColorFn hook) {
  colorHook_ = std::move(hook);
  viewport()->update();
  horizontalHeader()->viewport()->update();
  verticalHeader()->viewport()->update();
}

int StringGrid::kopfBreite(int col) const {
  if (model_->headerRows() == 0) return 0;
  const QString text = Cells(col, 0);
  if (text.isEmpty()) return 0;
  // What the style gives a header section for this text: the text and the margins on
  // either side. Every heading, the top-left one too, is drawn in the column header's font.
  const QHeaderView* h = horizontalHeader();
  QStyleOptionHeader opt;
  opt.initFrom(h);
  opt.fontMetrics = QFontMetrics(h->font());
  opt.orientation = Qt::Horizontal;
  opt.text = text;
  return h->style()->sizeFromContents(QStyle::CT_HeaderSection, &opt, QSize(), h).width();
}

void StringGrid::applyFixedLayout() {
  horizontalHeader()->setVisible(model_->headerRows() > 0);
  verticalHeader()->setVisible(model_->headerCols() > 0);
  // No column is narrower than its heading: a width chosen for another font would cut it.
  if (model_->headerCols() > 0) {
    const int w = (!colWidths_.isEmpty() && colWidths_[0] >= 0) ? colWidths_[0] : defaultColWidth_;
    verticalHeader()->setFixedWidth(std::max(w, kopfBreite(0)));
  }
  // Explicit widths; the others follow the default, and a width the user dragged stays
  // until the program sets one.
  QHeaderView* h = horizontalHeader();
  for (int vc = 0; vc < model_->viewCols(); ++vc) {
    const int col = vc + model_->headerCols();
    const bool gesetzt = col < colWidths_.size() && colWidths_[col] >= 0;
    const int breite = std::max(gesetzt ? colWidths_[col] : h->sectionSize(vc), kopfBreite(col));
    if (h->sectionSize(vc) != breite) h->resizeSection(vc, breite);
  }
  applyFittedWidths();
}

void StringGrid::fitColumnToTexts(int col) {
  const int vc = col - model_->headerCols();
  if (vc < 0 || vc >= model_->viewCols()) return;
  if (textWidths_.size() <= col) textWidths_.resize(col + 1, 0);
  // As the view measures a cell for its painting: text, margins and the grid line.
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  int breite = 1;
  for (int row = 0; row < model_->rowCount(); ++row) {
    const QModelIndex index = model_->index(row, vc);
    if (!index.data(Qt::DisplayRole).toString().isEmpty())
      breite = std::max(breite, itemDelegate()->sizeHint(option, index).width() + (showGrid() ? 1 : 0));
  }
  textWidths_[col] = breite;
  applyFittedWidths();
}

void StringGrid::applyFittedWidths() {
  QHeaderView* h = horizontalHeader();
  for (int col = model_->headerCols(); col < textWidths_.size(); ++col) {
    const int vc = col - model_->headerCols();
    if (textWidths_[col] <= 0 || vc >= model_->viewCols() || h->isSectionHidden(vc)) continue;
    int andere = 0;
    for (int v = 0; v < model_->viewCols(); ++v)
      if (v != vc && !h->isSectionHidden(v)) andere += h->sectionSize(v);
    const bool gesetzt = col < colWidths_.size() && colWidths_[col] >= 0;
    const int grund = std::max(gesetzt ? colWidths_[col] : defaultColWidth_, kopfBreite(col));
    const int breite = std::max(grund, std::min(textWidths_[col], viewport()->width() - andere));
    if (h->sectionSize(vc) != breite) h->resizeSection(vc, breite);
  }
}

bool StringGrid::viewportEvent(QEvent* event) {
  const bool handled = QTableView::viewportEvent(event);
  // The room beside the other columns changes with the viewport (the grid's width, its
  // vertical scroll bar coming or going).
  if (event->type() == QEvent::Resize) applyFittedWidths();
  return handled;
}

void StringGrid::changeEvent(QEvent* event) {
  QTableView::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
    applyFixedLayout();
}

void GitterLeeren(StringGrid* grid) {
  if (!grid) return;
  for (int zeile = 1; zeile < grid->RowCount(); ++zeile)
    for (int spalte = 0; spalte < grid->ColCount(); ++spalte) grid->setCells(spalte, zeile, QString());
}
