#include "datagraph/kanal_liste.h"

#include <QApplication>
#include <QListView>
#include <QProxyStyle>
#include <QStyleFactory>
#include <algorithm>
#include <limits>
#include <new>

void KanalListe::anhaengen(std::string_view utf8) {
  if (bytes_.size() + utf8.size() > std::numeric_limits<uint32_t>::max() ||
      enden_.size() >= static_cast<size_t>(std::numeric_limits<int>::max()))
    throw std::bad_alloc();
  enden_.reserve(enden_.size() + 1);  // the offset's room first: a failure adds nothing
  bytes_.append(utf8);
  enden_.push_back(static_cast<uint32_t>(bytes_.size()));
}

void KanalListe::reservieren(size_t anzahl, size_t bytes) {
  enden_.reserve(anzahl);
  bytes_.reserve(bytes);
}

void KanalListe::einfuegen(size_t pos, size_t anzahl) {
  pos = std::min(pos, enden_.size());
  if (anzahl > static_cast<size_t>(std::numeric_limits<int>::max()) - enden_.size())
    throw std::bad_alloc();
  const uint32_t anfang = pos == 0 ? 0 : enden_[pos - 1];
  enden_.insert(enden_.begin() + static_cast<ptrdiff_t>(pos), anzahl, anfang);
}

void KanalListe::entfernen(size_t pos, size_t anzahl) {
  pos = std::min(pos, enden_.size());
  anzahl = std::min(anzahl, enden_.size() - pos);
  if (anzahl == 0) return;
  if (anzahl == enden_.size()) {  // all of it: the memory goes too
    std::string().swap(bytes_);
    std::vector<uint32_t>().swap(enden_);
    return;
  }
  const uint32_t anfang = pos == 0 ? 0 : enden_[pos - 1];
  const uint32_t breite = enden_[pos + anzahl - 1] - anfang;
  bytes_.erase(anfang, breite);
  const auto weg = enden_.begin() + static_cast<ptrdiff_t>(pos);
  enden_.erase(weg, weg + static_cast<ptrdiff_t>(anzahl));
  for (size_t i = pos; i < enden_.size(); ++i) enden_[i] -= breite;
}

void KanalListe::ersetzen(size_t i, std::string_view utf8) {
  if (i >= enden_.size()) return;
  const uint32_t anfang = i == 0 ? 0 : enden_[i - 1];
  const uint32_t alt = enden_[i] - anfang;
  if (bytes_.size() - alt + utf8.size() > std::numeric_limits<uint32_t>::max())
    throw std::bad_alloc();
  bytes_.replace(anfang, alt, utf8);
  // Unsigned arithmetic wraps: adding the difference works for shorter texts too.
  const uint32_t differenz = static_cast<uint32_t>(utf8.size()) - alt;
  for (size_t k = i; k < enden_.size(); ++k) enden_[k] += differenz;
}

std::string_view KanalListe::text(size_t i) const {
  if (i >= enden_.size()) return {};
  const size_t anfang = i == 0 ? 0 : enden_[i - 1];
  return std::string_view(bytes_).substr(anfang, enden_[i] - anfang);
}

int KanalListe::suchen(std::string_view utf8) const {
  for (size_t i = 0; i < enden_.size(); ++i)
    if (text(i) == utf8) return static_cast<int>(i);
  return -1;
}

int KanalModell::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(liste_.size());
}

QVariant KanalModell::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() != 0 || (role != Qt::DisplayRole && role != Qt::EditRole))
    return {};
  const std::string_view t = liste_.text(static_cast<size_t>(index.row()));
  return QString::fromUtf8(t.data(), static_cast<qsizetype>(t.size()));
}

bool KanalModell::setData(const QModelIndex& index, const QVariant& wert, int role) {
  if (!index.isValid() || index.model() != this || index.column() != 0 ||
      (role != Qt::DisplayRole && role != Qt::EditRole))
    return false;
  try {
    liste_.ersetzen(static_cast<size_t>(index.row()), wert.toString().toStdString());
  } catch (const std::bad_alloc&) {
    return false;
  }
  emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole});
  return true;
}

bool KanalModell::setItemData(const QModelIndex& index, const QMap<int, QVariant>& rollen) {
  bool nurText = true;
  for (auto it = rollen.begin(); it != rollen.end(); ++it)
    nurText = nurText && (it.key() == Qt::DisplayRole || it.key() == Qt::EditRole);
  const auto text = rollen.contains(Qt::EditRole) ? rollen.find(Qt::EditRole) : rollen.find(Qt::DisplayRole);
  if (text == rollen.end()) return false;
  return setData(index, *text, Qt::EditRole) && nurText;
}

bool KanalModell::insertRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || row < 0 || row > rowCount() || count < 1) return false;
  // The room first: once the views are told of new rows, they must come.
  try {
    if (static_cast<size_t>(count) > static_cast<size_t>(std::numeric_limits<int>::max()) - liste_.size())
      throw std::bad_alloc();
    liste_.reservieren(liste_.size() + static_cast<size_t>(count), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  beginInsertRows(parent, row, row + count - 1);
  liste_.einfuegen(static_cast<size_t>(row), static_cast<size_t>(count));
  endInsertRows();
  return true;
}

bool KanalModell::removeRows(int row, int count, const QModelIndex& parent) {
  if (parent.isValid() || row < 0 || count < 1 || count > rowCount() - row) return false;
  beginRemoveRows(parent, row, row + count - 1);
  liste_.entfernen(static_cast<size_t>(row), static_cast<size_t>(count));
  endRemoveRows();
  return true;
}

void KanalModell::setzen(KanalListe& liste) {
  beginResetModel();
  std::swap(liste_, liste);
  if (ResetTestHook) ResetTestHook();
  endResetModel();
}

namespace {

// The style of the application, except that a box of more than KanalBox::MenueGrenze items
// does not open as a menu.
class KanalBoxStil : public QProxyStyle {
 public:
  KanalBoxStil() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}
  int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                QStyleHintReturn* antwort) const override {
    if (hint == SH_ComboBox_Popup) {
      const auto* box = qobject_cast<const QComboBox*>(widget);
      if (box && box->count() > KanalBox::MenueGrenze) return 0;
    }
    return QProxyStyle::styleHint(hint, option, widget, antwort);
  }
};

}  // namespace

KanalBox::KanalBox(QWidget* parent) : QComboBox(parent) {
  auto* stil = new KanalBoxStil;
  stil->setParent(this);
  setStyle(stil);
  // Every item is one line of text in one font: the list lays out millions of them without
  // asking each for its size.
  if (auto* liste = qobject_cast<QListView*>(view())) liste->setUniformItemSizes(true);
  kleinBalken_ = view()->verticalScrollBarPolicy();
}

void KanalBox::showPopup() {
  // A menu scrolls by arrows at its ends and the style switches its scroll bar off; the
  // plain list has no arrows and needs one.
  view()->setVerticalScrollBarPolicy(count() > MenueGrenze ? Qt::ScrollBarAsNeeded : kleinBalken_);
  QComboBox::showPopup();
}
