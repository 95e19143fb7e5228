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

// A window whose frame is known: a hidden window keeps what was measured while it was shown.
bool Gerahmt(const QWidget* w) {
  return w && w->isWindow() && !w->isMinimized() && w->windowType() != Qt::Popup &&
         w->windowType() != Qt::ToolTip && !EigeneRaender(w).isNull();
}

// The frame seen last, for a window shown while no other one of the program is (the data
// graph opens while the main window is hidden).
QMargins zuletztGesehen;

bool Rahmenlos(const QWidget* w) { return w->windowFlags().testFlag(Qt::FramelessWindowHint); }

// A window that exists in the window system but was not framed yet (it is being shown for
// the first time) takes a position as the corner of its client area: Qt knows no frame to
// add. Before it exists, and once framed, a position is the frame's corner.
bool NimmtInnenEcke(const QWidget* w) {
  return w->testAttribute(Qt::WA_WState_Created) && !Rahmenlos(w) && EigeneRaender(w).isNull();
}

void RahmenEckeSetzen(QWidget* w, QPoint ecke, const QMargins& raender) {
  if (NimmtInnenEcke(w)) ecke += QPoint(raender.left(), raender.top());
  w->move(ecke);
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
  if (Rahmenlos(fenster)) return {};
  const QMargins eigene = EigeneRaender(fenster);
  if (!eigene.isNull()) return zuletztGesehen = eigene;
  // The window system frames every window of the program alike; the active window first,
  // then the shown ones.
  const QWidget* aktiv = QApplication::activeWindow();
  if (aktiv != fenster && Gerahmt(aktiv)) return zuletztGesehen = EigeneRaender(aktiv);
  const QWidgetList alle = QApplication::topLevelWidgets();
  for (const bool sichtbar : {true, false})
    for (const QWidget* w : alle)
      if (w != fenster && w->isVisible() == sichtbar && Gerahmt(w)) return zuletztGesehen = EigeneRaender(w);
  return zuletztGesehen;
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
  // Where nothing moves, nothing is moved: a position kept in the settings file stays as
  // it was saved.
  if (ziel.topLeft() != fenster->pos() || !fenster->testAttribute(Qt::WA_Moved))
    RahmenEckeSetzen(fenster, ziel.topLeft(), raender);
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

int GroessteInnenBreite(const QWidget* fenster) {
  if (!fenster) return 0;
  const QMargins raender = RahmenRaender(fenster);
  return std::max(0, FreieFlaeche(fenster, RahmenRechteck(fenster)).width() - raender.left() - raender.right());
}

void FensterImBildHalten(QWidget* fenster) {
  if (!fenster) return;
  FensterPlatzieren(fenster, fenster->pos());
}

namespace {
void TeileAnordnen(const QWidget* fenster) {
  // Deepest first: a layout that changes invalidates the one above it, which comes later.
  const QList<QWidget*> teile = fenster->findChildren<QWidget*>();
  for (auto teil = teile.crbegin(); teil != teile.crend(); ++teil)
    if (!(*teil)->isWindow())
      if (QLayout* anordnung = (*teil)->layout()) anordnung->activate();
}
}  // namespace

void AnordnungAnwenden(QWidget* fenster) {
  if (!fenster) return;
  TeileAnordnen(fenster);
  if (QLayout* anordnung = fenster->layout()) anordnung->activate();
}

int InnenMindestBreite(QWidget* fenster) {
  if (!fenster) return 0;
  TeileAnordnen(fenster);
  QLayout* anordnung = fenster->layout();
  if (!anordnung) return fenster->minimumSizeHint().width();
  anordnung->invalidate();
  return anordnung->totalMinimumSize().width();
}

void FensterZumZeigenPlatzieren(QWidget* fenster) {
  if (!fenster || VomSystemPlatziert(fenster)) return;
  // What the window's show handler changed (a page of the window shown instead of another)
  // sets its least size now, not after the window was placed with the old one.
  AnordnungAnwenden(fenster);
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
