#include "platform/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& title, QWidget* parent)
    : QGroupBox(title, parent), layout_(new QVBoxLayout(this)), group_(new QButtonGroup(this)) {
  layout_->setSpacing(2);
  layout_->addStretch(1);
  group_->setExclusive(true);
  connect(group_, &QButtonGroup::idClicked, this, [this](int id) {
    index_ = id;
    emit itemClicked(id);
  });
}

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : RadioGroup(title, parent) {
  for (const QString& text : items) addItem(text);
}

void RadioGroup::setItemColor(int i, const QColor& color) {
  QRadioButton* b = button(i);
  if (!b) return;
  QPalette pal = b->palette();
  pal.setColor(QPalette::WindowText, color);
  pal.setColor(QPalette::ButtonText, color);
  b->setPalette(pal);
}

QColor RadioGroup::itemColor(int i) const {
  const QRadioButton* b = button(i);
  return b ? b->palette().color(QPalette::WindowText) : QColor();
}

QStringList RadioGroup::items() const {
  QStringList r;
  for (const QRadioButton* b : buttons_) r << b->text();
  return r;
}

QString RadioGroup::item(int i) const { return button(i) ? button(i)->text() : QString(); }

QRadioButton* RadioGroup::button(int i) const {
  return i >= 0 && i < count() ? buttons_[static_cast<size_t>(i)] : nullptr;
}

void RadioGroup::addItem(const QString& text) {
  auto* b = new QRadioButton(text, this);
  b->setObjectName(QStringLiteral("RadioItem%1").arg(count()));
  group_->addButton(b, count());
  buttons_.push_back(b);
  layout_->insertWidget(count() - 1, b);  // above the closing stretch
}

void RadioGroup::setItem(int i, const QString& text) {
  if (QRadioButton* b = button(i)) b->setText(text);
}

void RadioGroup::removeItem(int i) {
  if (!button(i)) return;
  QRadioButton* weg = buttons_[static_cast<size_t>(i)];
  group_->removeButton(weg);
  buttons_.erase(buttons_.begin() + i);
  delete weg;
  for (int j = i; j < count(); ++j) {
    group_->setId(buttons_[static_cast<size_t>(j)], j);
    buttons_[static_cast<size_t>(j)]->setObjectName(QStringLiteral("RadioItem%1").arg(j));
  }
  if (index_ >= count()) index_ = count() - 1;
  checkButtons();
}

void RadioGroup::clear() {
  while (count() > 0) removeItem(count() - 1);
  index_ = -1;
}

void RadioGroup::setItemIndex(int i) {
  index_ = (i >= 0 && i < count()) ? i : -1;
  checkButtons();
}

void RadioGroup::checkButtons() {
  // An exclusive group cannot uncheck its last button; it is switched off for that moment.
  const QSignalBlocker still(group_);
  group_->setExclusive(false);
  for (int j = 0; j < count(); ++j) buttons_[static_cast<size_t>(j)]->setChecked(j == index_);
  group_->setExclusive(true);
}
