#pragma once
// Base of every window of the program: a top-level widget with a Tag, modal showing with a
// ModalResult, and the creation, show, activation and close hooks the windows override.
#include <QDeadlineTimer>
#include <QMargins>
#include <QWidget>

class QEventLoop;
class QResizeEvent;

// Usual modal results (a window may use any other non-zero value).
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;

// Keeps a window on top of the others (or not). Changing the flag hides a window; it is shown
// again where it was.
void FensterObenHalten(QWidget* fenster, bool oben);

class Form : public QWidget {
  Q_OBJECT

 public:
  explicit Form(QWidget* parent = nullptr);
  ~Form() override;

  // Free mode flag between windows.
  int Tag = 0;
  // Set by the window while ShowModal runs; a non-zero value closes the modal window (the
  // close hook may refuse, which sets it back to 0). Closing with the close box gives
  // mrCancel.
  int ModalResult = 0;
  // The close box hides the window (true), or closes it and ends the program (the main
  // window sets false; no other window, message or dialog ends it).
  bool hideOnClose = true;

  // Shows the window application-modal and returns its ModalResult once it is hidden.
  int ShowModal();
  // Hiding waits until a window manager has put the window on the screen (see form.cpp).
  void setVisible(bool visible) override;
  bool isModalRunning() const { return modalRunning_; }
  // Whether the window manager still owes answers to the program's own moves, resizes and
  // showings of this window (on X; elsewhere nothing is owed). What moves the window after
  // the answers are in is the user's doing.
  bool wartetAufFensterManager() const;
  // The content needs less width again: a window that grew for it goes back to its own width
  // (or to what the content still needs). Its own width is the one the program gave it, or
  // the one the user chose by dragging; growing for the content does not change it.
  void BreiteZurueckgeben();
  // The window activated last that is still shown (null when there is none).
  static Form* lastActive();

  // Called once by the window-creation function after construction.
  virtual void FormCreate() {}
  // Called when the window is shown by the program (not on a restore from minimised).
  virtual void FormShow() {}
  // Called when the window becomes the application's active window (not when the user
  // merely comes back from another application).
  virtual void FormActivate() {}
  // Called before the window closes (close box, close(), end of ShowModal); accept = false
  // keeps it open.
  virtual void FormClose(bool& accept) { (void)accept; }

 signals:
  // Emitted when the program shows or hides the window (also when the close box hides it);
  // tool buttons that open the window mirror it.
  void visibilityChanged(bool visible);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void setShownState(bool visible);
  void anfrageGestellt();
  void rahmenPruefen();
  void eigeneBreiteMerken(const QResizeEvent* event);
  void geometrieGeaendert(QEvent* event);

  bool modalRunning_ = false;
  bool shownState_ = false;
  bool closingForModal_ = false;
  bool hiddenDuringModal_ = false;  // the modal loop ended because the window was hidden
  // Shown before the window manager framed it: placed with a guessed frame, checked again
  // once the real one is known, and for a while after that (settling_).
  bool frameUnknown_ = false;
  QDeadlineTimer settling_;
  QMargins raender_;  // the frame's borders as seen last while settling
  // The number of the window manager's answer to the program's last request (see form.cpp).
  quint64 letzteAnfrage_ = 0;
  int eigeneBreite_ = -1;  // -1: not known yet
  bool breiteZurueck_ = false;  // BreiteZurueckgeben is resizing
  QEventLoop* modalLoop_ = nullptr;
};
