#pragma once
// The window that lets the user pick one image of an icon or cursor file, and the colour its
// transparent pixels get, before the file is loaded.
#include <QDialog>
#include <cstdint>
#include <functional>

#include "imagefile/ico_loader.h"

class QLabel;
class QListWidget;
class QPushButton;

namespace imagefile {

class DoubleBufferedPanel;
class PanelFrame;

class IconSelectionForm : public QDialog {
  Q_OBJECT
 public:
  // transparentColor: 0x00BBGGRR.
  IconSelectionForm(const IconList& list, std::uint32_t transparentColor, QWidget* parent = nullptr);

  QListWidget* SelectBox;
  DoubleBufferedPanel* PreviewPanel;
  QLabel* ColorLabel;
  PanelFrame* ColorPanel;
  QPushButton* TransparentButton;
  QLabel* NoteLabel;
  QPushButton* OkButton;
  QPushButton* CancelButton;

  int selectedIndex() const;
  std::uint32_t transparentColor() const { return transparentColor_; }
  void setTransparentColor(std::uint32_t color);
  // Opens the colour dialog for the transparent colour.
  void chooseColor();

  // Shows the window for the list; false when it was left other than with OK.
  static bool select(const IconList& list, int& index, std::uint32_t& transparentColor);

  // Test hooks: instead of the modal run (the window is built and handed over; the result
  // is the dialog's), and instead of the colour dialog.
  static std::function<int(IconSelectionForm&)>& runHook();
  static std::function<QColor(const QColor&)>& colorHook();

 private:
  void showImage();
  const IconList& list_;
  std::uint32_t transparentColor_;
  QImage preview_;
};

}  // namespace imagefile
