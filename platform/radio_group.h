#pragma once
// A radio group: a titled box of radio buttons, one per item text, of which at most one is
// chosen (itemIndex, -1 = none). Choosing by program is silent; a user's choice emits
// itemClicked. Each button is an ordinary QRadioButton (button(i)), so items can be styled
// one by one.
#include <QColor>
#include <QGroupBox>
#include <QStringList>
#include <vector>

class QButtonGroup;
class QRadioButton;
class QVBoxLayout;

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  explicit RadioGroup(const QString& title = QString(), QWidget* parent = nullptr);
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  int count() const { return static_cast<int>(buttons_.size()); }
  QStringList items() const;
  QString item(int i) const;  // "" outside the range
  QRadioButton* button(int i) const;

  void addItem(const QString& text);
  void setItem(int i, const QString& text);
  // Removes an item; the choice keeps its number, clamped to the last item (-1 when empty).
  void removeItem(int i);
  void clear();

  int itemIndex() const { return index_; }
  // Silent; an index outside 0..count-1 chooses nothing.
  void setItemIndex(int i);

  // Text colour of one item (an invalid colour for an item that does not exist).
  void setItemColor(int i, const QColor& color);
  QColor itemColor(int i) const;

 signals:
  // The user chose item i (also when it was chosen already).
  void itemClicked(int i);

 private:
  void checkButtons();

  QVBoxLayout* layout_;
  QButtonGroup* group_;
  std::vector<QRadioButton*> buttons_;
  int index_ = -1;
};
