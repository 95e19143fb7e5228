#include "datagraph/kanal_liste.h"

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

void KanalModell::setzen(KanalListe& liste) {
  beginResetModel();
  std::swap(liste_, liste);
  if (ResetTestHook) ResetTestHook();
  endResetModel();
}
