#pragma once
// Where windows go on the screen. Every place where the program positions or enlarges a
// window goes through here, so that no window lands outside the free area of its screen
// (the screen less panels and docks), wherever the position came from: a settings file
// saved on a larger monitor, a window docked below another one low on the screen, a picture
// larger than the window that shows it. A window is never lost: what lies outside is pulled
// in, and a window larger than the area is made smaller, down to its minimum size.
//
// Positions and rectangles are those of the window frame (title bar and borders included),
// the way QWidget::move and frameGeometry() take them.
#include <QMargins>
#include <QPoint>
#include <QRect>

class QWidget;

// The rectangle moved into the area; a rectangle wider or higher than the area is cut to it
// first, keeping its top-left corner.
QRect RechteckInFlaeche(QRect rechteck, const QRect& flaeche);

// The free area of the screen that holds the centre of the frame rectangle; without one
// (a position saved on a monitor that is gone), that of the window's own screen, or of the
// primary screen.
QRect FreieFlaeche(const QWidget* fenster, const QRect& rahmen);

// The frame around the window's client area. Until the window system has framed the window
// (before its first showing) it is borrowed from another framed window of the program.
QMargins RahmenRaender(const QWidget* fenster);

// The window's frame rectangle as it stands, with the margins above.
QRect RahmenRechteck(const QWidget* fenster);

// Puts the frame's top-left corner at lage, pulled into the free area.
void FensterPlatzieren(QWidget* fenster, QPoint lage);

// Centres the frame on mitte (by default the middle of the free area of the window's
// screen), pulled into the free area.
void FensterZentrieren(QWidget* fenster);
void FensterZentrieren(QWidget* fenster, QPoint mitte);

// The widest the window's client area can be with its frame inside the free area of its
// screen.
int GroessteInnenBreite(const QWidget* fenster);

// Leaves the window where it is, pulled into the free area: after it was resized, or before
// it is shown again where the user or the program left it.
void FensterImBildHalten(QWidget* fenster);

// Lays the window out now. A child's new size reaches the window's own layout only through
// the requests that the layouts in between post, so the window's least size would lag
// behind until the event loop ran.
void AnordnungAnwenden(QWidget* fenster);

// The least width of the window's client area for what its parts need now, measured without
// laying the window out (which would give the window that width at once).
int InnenMindestBreite(QWidget* fenster);

// Called on every showing of a window. A window the program never placed opens centred on
// the window the user works in (the active one), or on the screen; every window is pulled
// into the free area.
void FensterZumZeigenPlatzieren(QWidget* fenster);
