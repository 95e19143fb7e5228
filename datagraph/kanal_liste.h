#pragma once
// The texts of the data graph's channel boxes cbXKanal and cbYKanal: "Nr" and the names of
// the columns, which for a hostile table are millions. A combo box's own items cost some
// 400 bytes each; here the texts are UTF-8 bytes in one buffer with an end offset per item,
// and both boxes show the one list through one KanalModell.
#include <QAbstractListModel>
#include <QComboBox>
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
  // `anzahl` empty texts before item `pos`: std::bad_alloc, changing nothing, when there is
  // no room (none is taken when reservieren made it).
  void einfuegen(size_t pos, size_t anzahl);
  void entfernen(size_t pos, size_t anzahl);
  // Item i gets this text; std::bad_alloc, changing nothing, when the memory runs out.
  void ersetzen(size_t i, std::string_view utf8);
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

// The boxes' editing calls (clear, addItem, insertItem, removeItem, setItemText) are served:
// they edit the one list, so both boxes show the change. Only the texts are kept; an icon or
// user data given with an item is not.
class KanalModell : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // False, changing nothing, for anything but a text or when the memory runs out.
  bool setData(const QModelIndex& index, const QVariant& wert, int role = Qt::EditRole) override;
  // The text of the roles given (an item added with an icon keeps its text); true only when
  // every role was a text.
  bool setItemData(const QModelIndex& index, const QMap<int, QVariant>& rollen) override;
  bool insertRows(int row, int count, const QModelIndex& parent = {}) override;
  bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

  // The boxes show these texts from now on; the old ones go with `liste`. The lists are
  // swapped, which cannot fail: a list built in full is shown in full or not at all.
  void setzen(KanalListe& liste);
  const KanalListe& liste() const { return liste_; }
  // Test hook: called in setzen while the views are being reset (it may throw std::bad_alloc).
  static inline std::function<void()> ResetTestHook;

 private:
  KanalListe liste_;
};

// A channel box. A box of a few items opens as the style has it (Fusion: a menu over the box,
// as wide as its widest item, which the combo box finds by measuring every item: for
// millions of them the popup stays unpainted for many seconds). Above MenueGrenze items the
// box opens as a plain list below it, as wide as the box, with a scroll bar: that asks only
// for the items it shows.
class KanalBox : public QComboBox {
 public:
  static constexpr int MenueGrenze = 1000;

  explicit KanalBox(QWidget* parent = nullptr);
  void showPopup() override;

 private:
  Qt::ScrollBarPolicy kleinBalken_;  // what the style gives the list of a few items
};
