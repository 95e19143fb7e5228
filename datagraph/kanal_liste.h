#pragma once
// The texts of the data graph's channel boxes cbXKanal and cbYKanal: "Nr" and the names of
// the columns, which for a hostile table are millions. A combo box's own items cost some
// 400 bytes each; here the texts are UTF-8 bytes in one buffer with an end offset per item,
// and both boxes show the one list through one KanalModell.
#include <QAbstractListModel>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class KanalListe {
 public:
  // Adds a text; std::bad_alloc when the memory (or the 4 GB the offsets reach) runs out.
  void anhaengen(std::string_view utf8);
  void reservieren(size_t anzahl, size_t bytes);
  size_t size() const { return enden_.size(); }
  std::string_view text(size_t i) const;
  // The first item of exactly this text; -1 when there is none.
  int suchen(std::string_view utf8) const;
  // Bytes held (for the tests' accounting).
  size_t speicher() const { return bytes_.capacity() + enden_.capacity() * sizeof(uint32_t); }

 private:
  std::string bytes_;
  std::vector<uint32_t> enden_;
};

class KanalModell : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // The boxes show these texts from now on; the old ones go with `liste`. The lists are
  // swapped, which cannot fail: a list built in full is shown in full or not at all.
  void setzen(KanalListe& liste);
  const KanalListe& liste() const { return liste_; }
  // Test hook: called in setzen while the views are being reset (it may throw std::bad_alloc).
  static inline std::function<void()> ResetTestHook;

 private:
  KanalListe liste_;
};
