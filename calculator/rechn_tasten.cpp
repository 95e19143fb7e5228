// The on-screen keypad and the entry field. Keys are panels that react to the mouse button
// that pressed them: the left button types, the right button undoes the last function key,
// the middle button gives some keys a short form. The right button on the three keypad
// areas picks their colour.
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <array>

#include "calculator/einstell.h"
#include "platform/farben.h"
#include "calculator/kolvex.h"
#include "calculator/rechn.h"
#include "calculator/rechn_ergebnis.h"
#include "core/globals.h"
#include "core/tastenfilter.h"
#include "graph/grafik.h"
#include "platform/key_filter.h"
#include "platform/panel_button.h"
#include "platform/text_convert.h"

namespace {

const QColor FarbeUeber(0, 255, 0);      // the key under the mouse
const QColor FarbeGedrueckt(0, 128, 0);  // the key just pressed

struct ZeichenTaste {
  const char* name;
  char16_t zeichen;
};
// clang-format off
constexpr std::array<ZeichenTaste, 18> ZeichenTasten{{
    {"pl_0", u'0'},      {"pl_1", u'1'},     {"pl_2", u'2'},     {"pl_3", u'3'},
    {"pl_4", u'4'},      {"pl_5", u'5'},     {"pl_6", u'6'},     {"pl_7", u'7'},
    {"pl_8", u'8'},      {"pl_9", u'9'},     {"pl_komma", u','}, {"pl_plus", u'+'},
    {"pl_minus", u'-'},  {"pl_mul", u'*'},   {"pl_div", u'/'},   {"pl_KLeft", u'('},
    {"pl_KRecht", u')'}, {"pl_Pi", u'\u03C0'}}};  // shown as the pi sign
// clang-format on

struct FunktionsTaste {
  const char* name;
  const char* funktion;
};
// clang-format off
constexpr std::array<FunktionsTaste, 16> FunktionsTasten{{
    {"pl_sin", "sin"},     {"pl_cos", "cos"},     {"pl_tan", "tan"},     {"pl_ctan", "ctan"},
    {"pl_asin", "asin"},   {"pl_acos", "acos"},   {"pl_atan", "atan"},   {"pl_sinh", "sinh"},
    {"pl_cosh", "cosh"},   {"pl_tanh", "tanh"},   {"pl_asinh", "asinh"}, {"pl_acosh", "acosh"},
    {"pl_atanh", "atanh"}, {"pl_log", "log"},     {"pl_ln", "ln"},       {"pl_exp", "exp"}}};
// clang-format on

// Caret as the program counts it: characters in front of it (the selection's start).
int caret(const QLineEdit* ed) {
  return ed->hasSelectedText() ? ed->selectionStart() : ed->cursorPosition();
}

void textUndCaret(QLineEdit* ed, const QString& text, int pos) {
  if (ed->text() != text) ed->setText(text);
  ed->setCursorPosition(qBound(0, pos, static_cast<int>(text.size())));
}

bool istVorzeichen(QChar c) { return c == u'+' || c == u'-'; }
QChar vorzeichenGetauscht(QChar c) { return c == u'+' ? QChar(u'-') : QChar(u'+'); }

// "+/-" acts only next to a sign.
bool vorzeichenAmCaret(const QLineEdit* ed) {
  const QString t = ed->text();
  const int p = caret(ed);
  return (p > 0 && p <= t.size() && istVorzeichen(t[p - 1])) ||
         (p >= 0 && p < t.size() && istVorzeichen(t[p]));
}

// Mouse traffic of the keypad areas: moves over the background reset the key colours, a
// right press picks the area's colour.
class FlaechenBeobachter : public QObject {
 public:
  explicit FlaechenBeobachter(TfrRechn* fenster) : QObject(fenster), fenster_(fenster) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w) return false;
    switch (event->type()) {
      case QEvent::MouseMove:
        if (w != fenster_->plOben && w != fenster_->edErgebnis)
          fenster_->TastenFarbeZuruecksetzen();
        return false;
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton &&
            w != fenster_->plTasten) {
          fenster_->FlaecheFarbeWaehlen(w);
          return true;
        }
        return false;
      case QEvent::ContextMenu:
        // The result field's own menu would hide the colour choice.
        return w == fenster_->edErgebnis;
      default:
        return false;
    }
  }

 private:
  TfrRechn* fenster_;
};

}  // namespace

void TfrRechn::TastenVerbinden() {
  for (PanelButton* taste : findChildren<PanelButton*>()) {
    const QString name = taste->objectName();
    if (!name.startsWith(QStringLiteral("pl_")) && !name.startsWith(QStringLiteral("im_")))
      continue;
    connect(taste, &PanelButton::mousePressed, this,
            [this, taste](Qt::MouseButton knopf) { TasteMouseDown(taste, knopf); });
    connect(taste, &PanelButton::mouseMoved, this, [this, taste] { TasteMouseMove(taste); });
  }
  connect(sbErgebnis, &PanelButton::mousePressed, this, &TfrRechn::sbErgebnisMouseDown);
  connect(sbErgebnis, &PanelButton::mouseReleased, this, &TfrRechn::sbErgebnisMouseUp);
  connect(sbErgebnis, &PanelButton::mouseMoved, this, &TfrRechn::sbErgebnisMouseMove);

  installKeyFilter(ed1, [](const std::string& text, char key, int pos) {
    return kolvex::FormelTasteFiltern(text, key, pos);
  });
  connect(ed1, &QLineEdit::returnPressed, this, &TfrRechn::ed1Enter);
  connect(ed1, &QLineEdit::textChanged, this, [this] { tbGrafik_Visible(); });

  auto* beobachter = new FlaechenBeobachter(this);
  edErgebnis->setContextMenuPolicy(Qt::NoContextMenu);
  for (QWidget* w : {static_cast<QWidget*>(plOben), static_cast<QWidget*>(edErgebnis),
                     static_cast<QWidget*>(plTasten), static_cast<QWidget*>(plFunktionen),
                     static_cast<QWidget*>(plRG), static_cast<QWidget*>(plZahlen)}) {
    w->setMouseTracking(true);
    w->installEventFilter(beobachter);
  }
}

void TfrRechn::ZeichenEinfuegen(QChar zeichen) {
  QString t = ed1->text();
  const int p = qBound(0, caret(ed1), static_cast<int>(t.size()));
  t.insert(p, zeichen);
  textUndCaret(ed1, t, p + 1);
}

void TfrRechn::TastenFarbeZuruecksetzen() {
  for (PanelButton* taste : findChildren<PanelButton*>()) {
    const QString name = taste->objectName();
    if (name.startsWith(QStringLiteral("pl_")) || name.startsWith(QStringLiteral("im_")))
      taste->resetColor();
  }
}

void TfrRechn::TasteMouseMove(PanelButton* taste) {
  TastenFarbeZuruecksetzen();
  if (taste == pl_pm && !vorzeichenAmCaret(ed1)) return;
  taste->setColor(FarbeUeber);
}

namespace {

// What a function, power or factorial key does with the field: the undo text is saved, a
// field that holds a number (variables and pi allowed) is wrapped and calculated at once,
// otherwise the template goes in at the caret. zurueck counts the characters from the end
// of the inserted text back to the caret.
struct Vorlage {
  QString vor;
  QString nach;
  int zurueck;
};

}  // namespace

static void vorlageEinfuegen(TfrRechn* f, PanelButton* taste, const Vorlage& v) {
  kolvex::RueckgaengigText = toCore(f->ed1->text());
  QString zahl;
  if (frKolvex && frKolvex->IstZahlMitKonstanten(f->ed1->text())) {
    zahl = f->ed1->text();
    f->ed1->clear();
  }
  f->ed1->setFocus();
  taste->setColor(FarbeGedrueckt);
  QString t = f->ed1->text();
  const int p = qBound(0, caret(f->ed1), static_cast<int>(t.size()));
  const QString einfuegen = v.vor + zahl + v.nach;
  t.insert(p, einfuegen);
  textUndCaret(f->ed1, t, p + static_cast<int>(einfuegen.size()) - v.zurueck);
  if (!zahl.isEmpty()) f->Berechnen(f->ed1->text());
}

static void rueckgaengig(TfrRechn* f) {
  const QString t = fromCore(kolvex::RueckgaengigText);
  textUndCaret(f->ed1, t, static_cast<int>(t.size()));
}

void TfrRechn::TasteMouseDown(PanelButton* taste, Qt::MouseButton knopf) {
  const QString name = taste->objectName();
  const bool rechts = knopf == Qt::RightButton;

  for (const ZeichenTaste& z : ZeichenTasten) {
    if (name != QLatin1String(z.name)) continue;
    ed1->setFocus();
    if (rechts) return;
    taste->setColor(FarbeGedrueckt);
    ZeichenEinfuegen(QChar(z.zeichen));
    return;
  }

  for (const FunktionsTaste& fk : FunktionsTasten) {
    if (name != QLatin1String(fk.name)) continue;
    if (rechts) {
      rueckgaengig(this);
      return;
    }
    vorlageEinfuegen(this, taste,
                     {QString::fromLatin1(fk.funktion) + u'(', QStringLiteral(")"), 1});
    return;
  }

  QString t = ed1->text();
  const int p = qBound(0, caret(ed1), static_cast<int>(t.size()));
  const bool mitte = knopf == Qt::MiddleButton;

  if (taste == pl_Del) {
    ed1->setFocus();
    if (!rechts) ed1->clear();
  } else if (taste == pl_delL) {
    ed1->setFocus();
    if (rechts || mitte) {
      textUndCaret(ed1, t.mid(p), 0);
    } else if (p > 0) {
      t.remove(p - 1, 1);
      textUndCaret(ed1, t, p - 1);
    }
  } else if (taste == pl_delR) {
    ed1->setFocus();
    if (rechts || mitte)
      t.truncate(p);
    else if (p < t.size())
      t.remove(p, 1);
    textUndCaret(ed1, t, p);
  } else if (taste == pl_pm) {
    ed1->setFocus();
    // Only in the lit state, which a move over the key with a sign at the caret gives.
    if (rechts || taste->color() != FarbeUeber || !vorzeichenAmCaret(ed1)) return;
    if (p > 0 && istVorzeichen(t[p - 1]))
      t[p - 1] = vorzeichenGetauscht(t[p - 1]);
    else
      t[p] = vorzeichenGetauscht(t[p]);
    textUndCaret(ed1, t, p);
  } else if (taste == im_xh2) {
    if (rechts)
      rueckgaengig(this);
    else
      vorlageEinfuegen(this, taste, {QStringLiteral("("), QStringLiteral(")^(2)"), 5});
  } else if (taste == im_xs2) {
    if (rechts)
      rueckgaengig(this);
    else
      vorlageEinfuegen(this, taste, {QStringLiteral("("), QStringLiteral(")^(0,5)"), 7});
  } else if (taste == pl_sil) {
    if (rechts) {
      rueckgaengig(this);
    } else if (mitte) {
      kolvex::RueckgaengigText = toCore(t);
      ed1->setFocus();
      taste->setColor(FarbeGedrueckt);
      ZeichenEinfuegen(u'!');
    } else {
      vorlageEinfuegen(this, taste, {QStringLiteral("("), QStringLiteral(")!"), 2});
    }
  } else if (taste == pl_hoch) {
    // Never wraps: the exponent is still to be typed.
    if (rechts) {
      rueckgaengig(this);
      return;
    }
    kolvex::RueckgaengigText = toCore(t);
    ed1->setFocus();
    taste->setColor(FarbeGedrueckt);
    const QString einfuegen = mitte ? QStringLiteral("^") : QStringLiteral("()^()");
    t.insert(p, einfuegen);
    textUndCaret(ed1, t, p + 1);
  }
}

// ---- "=" ----------------------------------------------------------------------------------

QString ErgebnisOhneTrennzeichen(const QString& gezeigt) {
  if (gezeigt.contains(u'E') || gezeigt.contains(u'e')) return gezeigt.trimmed();
  const QChar trenn = QChar::fromLatin1(kolvex::TrennZeichen);
  QString t;
  for (const QChar c : gezeigt) {
    if (c == u' ') continue;
    if (c == trenn && !(c == u'-' && t.isEmpty())) continue;
    t += c;
  }
  return t;
}

bool ErgebnisIstZahl(const QString& gezeigt) {
  const QString t = ErgebnisOhneTrennzeichen(gezeigt);
  return !t.isEmpty() && frKolvex && frKolvex->IstZahl(t);
}

void TfrRechn::sbErgebnisMouseDown(Qt::MouseButton knopf) {
  if (knopf == Qt::LeftButton) {
    TastenFarbeZuruecksetzen();
    const QString formel = ed1->text();
    if (!(frKolvex && frKolvex->IstZahlMitKonstanten(formel)))
      kolvex::RueckgaengigText = toCore(formel);
    edErgebnis->clear();
    if (!formel.isEmpty()) Berechnen(formel);
    return;
  }
  if (!tbCut->isChecked()) {
    const bool an = !tbEinstellung->isChecked();
    tbEinstellung->setChecked(an);
    if (frEinstell) frEinstell->setVisible(an);
    if (frGrafik && frGrafik->tbEinstell) frGrafik->tbEinstell->setChecked(an);
  } else if (!kolvex::RueckgaengigText.empty()) {
    rueckgaengig(this);
  }
}

void TfrRechn::sbErgebnisMouseUp(Qt::MouseButton) {
  TastenFarbeZuruecksetzen();
  tbWert_Einf->setEnabled(ErgebnisIstZahl(edErgebnis->text()));
}

void TfrRechn::sbErgebnisMouseMove() {
  QString hinweis = QStringLiteral("Berechnen");
  if (!tbCut->isChecked())
    hinweis += QStringLiteral("\nRechtemaus: Einstellung");
  else if (fromCore(kolvex::RueckgaengigText) != ed1->text())
    hinweis += QStringLiteral("\nRechtemaus: Rückgängig");
  sbErgebnis->setToolTip(hinweis);
}

void TfrRechn::ed1Enter() {
  TastenFarbeZuruecksetzen();
  Berechnen(ed1->text());
  tbWert_Einf->setEnabled(ErgebnisIstZahl(edErgebnis->text()));
}

// ---- Area colours -------------------------------------------------------------------------

void TfrRechn::FlaecheFarbeWaehlen(QWidget* flaeche) {
  QWidget* bereich = flaeche;
  if (flaeche == edErgebnis) bereich = plOben;
  if (flaeche == plRG) bereich = plFunktionen;
  if (bereich != plOben && bereich != plFunktionen && bereich != plZahlen) return;

  int32_t farbe = 0;
  if (!FarbeWaehlen(FlaechenFarbe(bereich), farbe, this)) return;
  FlaechenFarbeSetzen(bereich, farbe);
  if (bereich == plOben) {
    FlaechenFarbeSetzen(edErgebnis, farbe);
    kolvex::FarbeOben = farbe;
  } else if (bereich == plFunktionen) {
    FlaechenFarbeSetzen(plRG, farbe);
    kolvex::FarbeFunktionen = farbe;
  } else {
    kolvex::FarbeZahlen = farbe;
  }
}
