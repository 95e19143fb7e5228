#pragma once
// A framed group of radio buttons with an item index, as the calculators choose their
// sought quantity: exactly one item is chosen; clicked() reports the user's choice.
#include <QColor>
#include <QGroupBox>
#include <QStringList>
#include <QVector>

class QButtonGroup;
class QRadioButton;

class RadioGroup : public QGroupBox {
  Q_OBJECT

 public:
  RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

  int ItemIndex() const;
  void setItemIndex(int index);  // no clicked() signal
  int count() const { return static_cast<int>(buttons_.size()); }
  QRadioButton* Button(int index) const;
  // Text colour of one item.
  void setItemColor(int index, const QColor& color);
  QColor itemColor(int index) const;

 signals:
  void clicked();

 private:
  QButtonGroup* group_;
  QVector<QRadioButton*> buttons_;
};
