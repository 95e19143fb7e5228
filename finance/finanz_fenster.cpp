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

#include "platform/fenster_lage.h"
#include "platform/form.h"
#include "platform/line_edit.h"

namespace finanz {

namespace {

constexpr char kGrundbreite[] = "kolvexGrundbreite";
constexpr char kWaechst[] = "kolvexWaechst";

// The most a part of the window may take: the widest client area on the window's screen
// less what the rest of the window needs at least.
int Platz(const QWidget* teil, int teilMindestens) {
  QWidget* fenster = teil->window();
  // What the other parts need now, not what the layout last knew of them (a line changed
  // just before this field).
  AnordnungAnwenden(fenster);
  const int rest = std::max(0, fenster->minimumSizeHint().width() - teilMindestens);
  return GroessteInnenBreite(fenster) - rest;
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
  const int breite = noetig <= grund ? grund : std::max(grund, std::min(noetig, Platz(feld, feld->minimumWidth())));
  if (feld->property(kWaechst).toBool())
    feld->setMinimumWidth(breite);
  else
    feld->setFixedWidth(breite);
}

void ZeileSetzen(QLabel* zeile, const QString& text) {
  zeile->setText(text);
  // Without a least width of its own a caption needs its whole text, however long.
  const int eigene = zeile->minimumWidth();
  const int bisher = eigene > 0 ? eigene : zeile->minimumSizeHint().width();
  // A label's size hint is never less than its least width: the text is measured without it,
  // or a line once long would keep its width for every shorter text after it.
  zeile->setMinimumWidth(0);
  const int noetig = zeile->sizeHint().width();
  zeile->setMinimumWidth(eigene);
  zeile->setMinimumWidth(std::max(1, std::min(noetig, Platz(zeile, bisher))));
}

void FensterAnpassen(Form* fenster) {
  // Growing keeps the shown window inside the free area (Form).
  fenster->BreiteZurueckgeben();
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
