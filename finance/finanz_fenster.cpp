#include "finance/finanz_fenster.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "platform/fenster_lage.h"
#include "platform/line_edit.h"

namespace finanz {

namespace {

constexpr char kGrundbreite[] = "kolvexGrundbreite";
constexpr char kWaechst[] = "kolvexWaechst";

// Gives a part of the window (by setzen, its least width) what its text needs, noetig, at
// least mindestens, as far as the window's client area can grow on its screen. The rest of the
// window is measured with the part that wide, not taken from its present width: a result spans
// the column the choices stand in above it, so the window grows with the part only by what the
// part's row holds beyond the rows above it.
void BreiteGeben(QWidget* teil, int noetig, int mindestens, const std::function<void(int)>& setzen) {
  QWidget* fenster = teil->window();
  const int hoechstens = GroessteInnenBreite(fenster);
  const int probe = std::max(noetig, hoechstens);
  setzen(probe);
  const int rest = InnenMindestBreite(fenster) - probe;
  setzen(std::max(mindestens, std::min(noetig, hoechstens - rest)));
  // Measured again: the layouts keep what they measured last, and the window would take the
  // width it had with the part that wide.
  InnenMindestBreite(fenster);
}

}  // namespace

void FeldGesucht(QLineEdit* feld) {
  QPalette pal = feld->palette();
  pal.setColor(QPalette::Base, kGelb);
  pal.setColor(QPalette::Text, kGruen);
  feld->setPalette(pal);
}

void FeldNormal(QLineEdit* feld) { feld->setPalette(QPalette()); }

QLabel* Beschriftung(QWidget* parent, const char* name, const QString& text, const QString& hinweis) {
  auto* l = Neu<QLabel>(parent, name);
  l->setText(text);
  l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (!hinweis.isEmpty()) l->setToolTip(hinweis);
  l->setToolTipDuration(kHinweisDauerMs);
  return l;
}

QCheckBox* Schalter(QWidget* parent, const char* name, const QString& text, const QString& hinweis) {
  auto* c = Neu<QCheckBox>(parent, name);
  c->setText(text);
  c->setLayoutDirection(Qt::RightToLeft);
  c->setToolTip(hinweis);
  c->setToolTipDuration(kHinweisDauerMs);
  return c;
}

QLineEdit* Feld(QWidget* parent, const char* name, int breite) {
  auto* e = Neu<QLineEdit>(parent, name);
  e->setProperty(kGrundbreite, breite);
  e->setFixedWidth(breite);
  e->setAlignment(Qt::AlignRight);
  QObject::connect(e, &QLineEdit::textChanged, e, [e] { BreiteAnpassen(e); });
  return e;
}

QLineEdit* ErgebnisFeld(QWidget* parent, const char* name, int breite) {
  QLineEdit* e = Feld(parent, name, breite);
  e->setProperty(kWaechst, true);
  e->setMinimumWidth(breite);
  e->setMaximumWidth(QWIDGETSIZE_MAX);
  e->setSizePolicy(QSizePolicy::Expanding, e->sizePolicy().verticalPolicy());
  return e;
}

void BreiteAnpassen(QLineEdit* feld) {
  const int grund = feld->property(kGrundbreite).toInt();
  const int noetig = wholeTextWidth(feld, feld->text());
  const auto setzen = [feld](int breite) {
    if (feld->property(kWaechst).toBool())
      feld->setMinimumWidth(breite);
    else
      feld->setFixedWidth(breite);
  };
  if (noetig <= grund)
    setzen(grund);
  else
    BreiteGeben(feld, noetig, grund, setzen);
}

void ZeileSetzen(QLabel* zeile, const QString& text) {
  zeile->setText(text);
  // A label's size hint is never less than its least width: the text is measured without it,
  // or a line once long would keep its width for every shorter text after it. A least width of
  // 0 is none: the line would need its whole text, however long.
  zeile->setMinimumWidth(0);
  BreiteGeben(zeile, zeile->sizeHint().width(), 1, [zeile](int breite) { zeile->setMinimumWidth(breite); });
}

QComboBox* Auswahl(QWidget* parent, const char* name, const QStringList& items, int breite) {
  auto* c = Neu<QComboBox>(parent, name);
  c->addItems(items);
  c->setFixedWidth(breite);
  return c;
}

QWidget* Zeile(QWidget* parent, std::initializer_list<QWidget*> teile) {
  auto* box = new QWidget(parent);
  auto* zeile = new QHBoxLayout(box);
  zeile->setContentsMargins(0, 0, 0, 0);
  zeile->setSpacing(6);
  for (QWidget* w : teile) zeile->addWidget(w);
  zeile->addStretch(1);
  return box;
}

QStringList Intervalle() {
  return {QStringLiteral("monatlich"), QStringLiteral("vierteljährlich"),
          QStringLiteral("halbjährlich"), QStringLiteral("jährlich")};
}

void KnopfleisteErzeugen(QWidget* fenster, QVBoxLayout* haupt, QFrame*& plESC,
                         QFrame*& plFormel_Unten, QPushButton*& sbBerechnen, QPushButton*& sbExit) {
  plESC = Neu<QFrame>(fenster, "plESC");
  plESC->setFrameShape(QFrame::Panel);
  plESC->setFrameShadow(QFrame::Raised);
  {
    auto* zeile = new QHBoxLayout(plESC);
    zeile->setContentsMargins(4, 2, 4, 2);
    auto* text = new QLabel(QStringLiteral("Mit ESC-Taste abbrechen"), plESC);
    text->setAlignment(Qt::AlignCenter);
    zeile->addWidget(text);
  }
  plESC->hide();

  // The buttons are placed by KnoepfeMittig, not by a layout.
  plFormel_Unten = Neu<QFrame>(fenster, "plFormel_Unten");
  plFormel_Unten->setFixedHeight(42);
  plFormel_Unten->setFrameShape(QFrame::StyledPanel);
  sbBerechnen = Neu<QPushButton>(plFormel_Unten, "sbBerechnen");
  sbBerechnen->setText(QStringLiteral("Berechnen"));
  sbBerechnen->setToolTip(QStringLiteral("Berechnen"));
  sbBerechnen->setFixedSize(90, 28);
  sbBerechnen->setAutoDefault(false);
  sbExit = Neu<QPushButton>(plFormel_Unten, "sbExit");
  sbExit->setText(QStringLiteral("Exit"));
  sbExit->setToolTip(QStringLiteral("Fenster schließen"));
  sbExit->setFixedSize(90, 28);
  sbExit->setAutoDefault(false);

  haupt->addWidget(plFormel_Unten);
  haupt->addWidget(plESC);
}

void KnoepfeMittig(const QWidget* fenster, const QFrame* leiste, QPushButton* links,
                   QPushButton* rechts) {
  const int x = qMax(0, (fenster->width() - links->width() - rechts->width() - 20) / 2);
  const int y = qMax(0, (leiste->height() - links->height()) / 2);
  links->move(x, y);
  rechts->move(links->geometry().right() + 1 + 20, y);
}

}  // namespace finanz
