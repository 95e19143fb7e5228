#pragma once
// Pieces the savings and the loan calculator window are both built from: captions, fields
// and choices in one style, the bar with "Berechnen" and "Exit", the ESC note, and the
// colours that mark the sought quantity.
#include <QColor>
#include <QString>
#include <QStringList>
#include <initializer_list>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QVBoxLayout;
class QWidget;

namespace finanz {

inline const QColor kGelb(255, 255, 0);
inline const QColor kGruen(0, 128, 0);
inline const QColor kRot(255, 0, 0);
inline const QColor kSchwarz(0, 0, 0);

inline QString Q(const std::string& s) { return QString::fromStdString(s); }
inline std::string S(const QString& s) { return s.toStdString(); }

// The sought field shows yellow with green text; FeldNormal gives a field its usual colours.
void FeldGesucht(QLineEdit* feld);
void FeldNormal(QLineEdit* feld);

// The hints are long; they stay up for 10 s.
inline constexpr int kHinweisDauerMs = 10000;

template <typename T>
T* Neu(QWidget* parent, const char* name) {
  auto* w = new T(parent);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

// A caption right-aligned towards its field, with a hint when one is given.
QLabel* Beschriftung(QWidget* parent, const char* name, const QString& text, const QString& hinweis);
// A check box captioned on its left, as the captions of the fields.
QCheckBox* Schalter(QWidget* parent, const char* name, const QString& text, const QString& hinweis);
// A right-aligned number field, `breite` wide unless its text needs more (see BreiteAnpassen).
QLineEdit* Feld(QWidget* parent, const char* name, int breite = 110);
// A result field: at least `breite` wide, it takes the width the window gives it.
QLineEdit* ErgebnisFeld(QWidget* parent, const char* name, int breite);

// A field or a result line is as wide as its text needs, from its own width up to what the
// window can give it on its screen; only a text longer than that shows its start alone (and
// the field scrolls). Fields follow their text by themselves; a result line is set here.
void BreiteAnpassen(QLineEdit* feld);
void ZeileSetzen(QLabel* zeile, const QString& text);
QComboBox* Auswahl(QWidget* parent, const char* name, const QStringList& items, int breite = 140);
// A field with what stands right of it (unit, choice), left-aligned in its grid cell.
QWidget* Zeile(QWidget* parent, std::initializer_list<QWidget*> teile);

// The payment and interest intervals, shortest first (the texts IntervallMonate reads).
QStringList Intervalle();

// The bar plFormel_Unten with sbBerechnen and sbExit, then the hidden note plESC shown while
// a search runs, both added to the bottom of haupt.
void KnopfleisteErzeugen(QWidget* fenster, QVBoxLayout* haupt, QFrame*& plESC,
                         QFrame*& plFormel_Unten, QPushButton*& sbBerechnen, QPushButton*& sbExit);
// Places the two buttons centred in the window's width, 20 apart (called on every resize).
void KnoepfeMittig(const QWidget* fenster, const QFrame* leiste, QPushButton* links,
                   QPushButton* rechts);

}  // namespace finanz
