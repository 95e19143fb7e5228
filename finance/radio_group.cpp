#include "finance/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this)) {
  group_->setExclusive(true);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 6, 10, 6);
  layout->setSpacing(4);
  for (int i = 0; i < items.size(); ++i) {
    auto* b = new QRadioButton(items[i], this);
    b->setObjectName(QStringLiteral("rb%1").arg(i));
    group_->addButton(b, i);
    layout->addWidget(b);
    buttons_.append(b);
  }
  layout->addStretch(1);
  connect(group_, &QButtonGroup::idClicked, this, [this](int) { emit clicked(); });
}

int RadioGroup::ItemIndex() const { return group_->checkedId(); }

void RadioGroup::setItemIndex(int index) {
  if (index >= 0 && index < buttons_.size()) buttons_[index]->setChecked(true);
}

QRadioButton* RadioGroup::Button(int index) const {
  return index >= 0 && index < buttons_.size() ? buttons_[index] : nullptr;
}

void RadioGroup::setItemColor(int index, const QColor& color) {
  QRadioButton* b = Button(index);
  if (!b) return;
  QPalette pal = b->palette();
  pal.setColor(QPalette::WindowText, color);
  pal.setColor(QPalette::ButtonText, color);
  b->setPalette(pal);
}

QColor RadioGroup::itemColor(int index) const {
  QRadioButton* b = Button(index);
  return b ? b->palette().color(QPalette::WindowText) : QColor();
}
