#include "platform/fenster_lage.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

bool VomSystemPlatziert(const QWidget* fenster) {
  return (fenster->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) != 0;
}

QMargins EigeneRaender(const QWidget* fenster) {
  const QRect innen = fenster->geometry();
  const QRect aussen = fenster->frameGeometry();
  return {innen.left() - aussen.left(), innen.top() - aussen.top(), aussen.right() - innen.right(),
          aussen.bottom() - innen.bottom()};
}

bool Gerahmt(const QWidget* w) {
  return w && w->isWindow() && w->isVisible() && !w->isMinimized() &&
         w->windowType() != Qt::Popup && w->windowType() != Qt::ToolTip &&
         !EigeneRaender(w).isNull();
}

}  // namespace

QRect RechteckInFlaeche(QRect rechteck, const QRect& flaeche) {
  if (flaeche.isEmpty()) return rechteck;
  rechteck.setSize(rechteck.size().boundedTo(flaeche.size()));
  rechteck.moveLeft(std::clamp(rechteck.left(), flaeche.left(), flaeche.right() - rechteck.width() + 1));
  rechteck.moveTop(std::clamp(rechteck.top(), flaeche.top(), flaeche.bottom() - rechteck.height() + 1));
  return rechteck;
}

QRect FreieFlaeche(const QWidget* fenster, const QRect& rahmen) {
  const QScreen* schirm = QGuiApplication::screenAt(rahmen.center());
  if (!schirm && fenster) schirm = fenster->screen();
  if (!schirm) schirm = QGuiApplication::primaryScreen();
  return schirm ? schirm->availableGeometry() : QRect();
}

QMargins RahmenRaender(const QWidget* fenster) {
  const QMargins eigene = EigeneRaender(fenster);
  if (!eigene.isNull()) return eigene;
  // The window system frames every window of the program alike; the active window first.
  const QWidget* aktiv = QApplication::activeWindow();
  if (aktiv != fenster && Gerahmt(aktiv)) return EigeneRaender(aktiv);
  for (const QWidget* w : QApplication::topLevelWidgets())
    if (w != fenster && Gerahmt(w)) return EigeneRaender(w);
  return {};
}

QRect RahmenRechteck(const QWidget* fenster) {
  // pos() is the frame's corner, also for a window moved before it was ever shown.
  return {fenster->pos(), fenster->size().grownBy(RahmenRaender(fenster))};
}

void FensterPlatzieren(QWidget* fenster, QPoint lage) {
  if (!fenster || VomSystemPlatziert(fenster)) return;
  const QMargins raender = RahmenRaender(fenster);
  QRect rahmen(lage, fenster->size().grownBy(raender));
  const QRect flaeche = FreieFlaeche(fenster, rahmen);
  QRect ziel = RechteckInFlaeche(rahmen, flaeche);
  if (ziel.size() != rahmen.size()) {
    // Larger than the area: smaller, as far as the window's minimum size allows; what is
    // still too large keeps its title bar and left edge on the screen.
    fenster->resize(ziel.size().shrunkBy(raender));
    ziel = RechteckInFlaeche(QRect(ziel.topLeft(), fenster->size().grownBy(raender)), flaeche);
  }
  if (ziel.topLeft() != fenster->pos() || !fenster->testAttribute(Qt::WA_Moved))
    fenster->move(ziel.topLeft());
}

void FensterZentrieren(QWidget* fenster, QPoint mitte) {
  if (!fenster) return;
  QRect rahmen = RahmenRechteck(fenster);
  rahmen.moveCenter(mitte);
  FensterPlatzieren(fenster, rahmen.topLeft());
}

void FensterZentrieren(QWidget* fenster) {
  if (!fenster) return;
  FensterZentrieren(fenster, FreieFlaeche(fenster, RahmenRechteck(fenster)).center());
}

void FensterImBildHalten(QWidget* fenster) {
  if (!fenster) return;
  FensterPlatzieren(fenster, fenster->pos());
}

void FensterZumZeigenPlatzieren(QWidget* fenster) {
  if (!fenster || VomSystemPlatziert(fenster)) return;
  // What the window's show handler changed (a page of the window shown instead of another)
  // sets its least size now, not after the window was placed with the old one.
  if (QLayout* anordnung = fenster->layout()) anordnung->activate();
  if (fenster->testAttribute(Qt::WA_Moved)) {
    FensterImBildHalten(fenster);
    return;
  }
  // Placed by nobody yet: over the window the user works in, as the window system would
  // do, but inside the screen. Once placed, the window keeps where it is or is moved to.
  const QWidget* aktiv = QApplication::activeWindow();
  if (aktiv && aktiv != fenster && aktiv->isVisible())
    FensterZentrieren(fenster, RahmenRechteck(aktiv).center());
  else
    FensterZentrieren(fenster);
}
