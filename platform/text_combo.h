#pragma once
// A combo box that shows any text, also one that is not among its items (a settings file
// may hold "1" or an unknown style name), but is chosen from its list only: typed characters
// are swallowed, the arrow keys step through the list. ESC is reported, so a dialog can
// close on it.
#include <QComboBox>

class TextCombo : public QComboBox {
  Q_OBJECT
 public:
  explicit TextCombo(QWidget* parent = nullptr);

  QString text() const { return currentText(); }
  // Shows t; when t is one of the items, that item also becomes the current one.
  void setText(const QString& t);
  // Lets the user type into the edit part as well (the list then only offers choices).
  void setTippenErlaubt(bool an);

 signals:
  void escapePressed();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool tippen_ = false;
};

// 0-based index of the first item equal to text; 0 when none is (or no combo box).
int ListenIndex(QComboBox* combo, const QString& text);
// Sets a combo box's text: the edit text of an editable combo, else the matching item (an
// unknown text leaves a fixed list as it is).
void ComboTextSetzen(QComboBox* combo, const QString& text);
