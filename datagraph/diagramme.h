#pragma once
// The saved-picture viewer: shows a picture file loaded through the picture container (a
// metafile fitted to the window, every other picture at its own size) under a small
// draggable button panel with open, print and exit. Opened modally from the data graph.
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/form.h"

class QFrame;
class QPushButton;
namespace imagefile {
class Graphic;
}  // namespace imagefile

// A picture of the container painted at its natural size from the top-left corner; an
// animation's painter asks for the repaints, any other change of the picture repaints too.
class BildAnsicht : public QWidget {
  Q_OBJECT

 public:
  explicit BildAnsicht(QWidget* parent = nullptr);
  ~BildAnsicht() override;

  // Takes the picture (null empties the view); the previous one's animation stops first.
  void setBild(std::unique_ptr<imagefile::Graphic> bild);
  imagefile::Graphic* bild() const { return bild_.get(); }
  // Stops the painters of an animated picture (nothing for other pictures).
  void AnimationAnhalten();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::unique_ptr<imagefile::Graphic> bild_;
};

class TfrDiagramme : public Form {
  Q_OBJECT

 public:
  explicit TfrDiagramme(QWidget* parent = nullptr);
  ~TfrDiagramme() override;

  void FormCreate() override;
  void FormShow() override;
  void FormActivate() override;
  void FormClose(bool& accept) override;

  // Loads the picture: DiagrammPfad = its folder, caption "Diagramme   " + name; a ".WMF" or
  // ".EMF" goes into imh0 and is fitted (window at least 900 x 600), any other into Image1
  // (window = picture + 18 x + 40, at least 300 x 200). Failures raise the container's or
  // the library's error after the caption and DiagrammPfad have changed; the picture shown
  // before stays then. A metafile without a bitmap raises kKeinBildInMetadatei likewise.
  void DiagrammLaden(const QString& name);
  // The same for the buttons: a failure is shown (BildLadenMitMeldung); false then.
  bool DiagrammLadenMitMeldung(const QString& name);
  // Draws imh0's metafile into Image1, scaled to the window keeping its proportions.
  void BildEinpassen();
  // The fitted size of a mw x mh metafile in a window of fw x fh.
  static QSize EinpassGroesse(int mw, int mh, int fw, int fh);
  // The panel's place when dragged to (x, y) with the grab offset (ox, oy), kept inside the
  // picture's area (left and top edge first).
  static QPoint PanelLage(int x, int y, int ox, int oy, QSize bereich, QSize panel);
  void PanelPlatzieren();

  void sbLadenClick();
  void sbPrintClick();
  void sbExitClick();
  // Runs OpenPictureDialog1 starting in DiagrammPfad (or its hook); the chosen name, or "".
  QString OpenPictureDialog1Execute();
  static QStringList BildFilter();
  // Test hook of the open dialog: the chosen path ("" = cancel).
  static inline std::function<QString()> OeffnenDialogTestHook;

  BildAnsicht* Image1 = nullptr;
  BildAnsicht* imh0 = nullptr;  // hidden: holds a loaded metafile
  QFrame* plMenu = nullptr;
  QPushButton* sbLaden = nullptr;
  QPushButton* sbPrint = nullptr;
  QPushButton* sbExit = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void LayoutErzeugen();

  bool ziehen_ = false;  // plMenu is being dragged
  int zugX_ = 0, zugY_ = 0;  // mouse position inside the panel at the start of the drag
};

extern TfrDiagramme* frDiagramme;

// The warning for a metafile that holds vectors only: the player draws bitmaps alone.
extern const char* const kKeinBildInMetadatei;

// Runs laden, which loads the picture file name; an error it raises is shown as a warning
// naming the file (readFailedText with the container's or the library's text as it is), as
// the application's error display would show it: Qt's event delivery is not made for
// exceptions passing through it. A question the user cancelled (imagefile::SilentAbort)
// shows nothing. False when laden raised.
bool BildLadenMitMeldung(const QString& name, const std::function<void()>& laden);
