#pragma once
// Pieces the calculator's windows build alike: the content scroll area, and the tool bar with
// its picture buttons on the dialogs' menu panel.
class QIcon;
class QScrollArea;
class QString;
class QToolBar;
class QToolButton;
class QWidget;

// Fills the window with the frameless, resizing scroll area "ScrollBox1" that carries its
// content, so that a window made smaller than its content can still be scrolled.
QScrollArea* ScrollBoxErzeugen(QWidget* fenster);
// The borderless tool bar "ToolBar1" of a menu panel, for 20-pixel pictures.
QToolBar* DialogLeisteErzeugen(QWidget* eltern);
// A picture button added to such a tool bar; it takes no focus, so the keyboard stays where
// the user works.
QToolButton* DialogKnopf(QToolBar* leiste, const char* name, const QString& hinweis, const QIcon& icon,
                         bool umschalter = false);
