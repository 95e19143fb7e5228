#include "calculator/kolvex.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QThread>
#include <QTimer>

#include "calculator/about.h"
#include "core/farbwerte.h"
#include "platform/farben.h"
#include "core/geld.h"
#include "core/routinen.h"
#include "core/tastenfilter.h"
#include "core/zahltext.h"
#include "platform/geld_text.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_combo.h"
#include "platform/text_convert.h"

TfrKolvex* frKolvex = nullptr;

namespace {

// The string routines look only for ASCII characters, so they work on UTF-8 bytes unchanged
// and keep every character of a path or label. A non-ASCII argument character goes the
// Latin-1 way of the core instead.
std::string utf8(const QString& s) { return s.toStdString(); }
QString fromUtf8(const std::string& s) { return QString::fromStdString(s); }
bool isAscii(QChar c) { return c.unicode() < 0x80; }

template <typename Fn>
QString byCharacter(const QString& text, QChar c, Fn fn) {
  if (isAscii(c)) return fromUtf8(fn(utf8(text), static_cast<char>(c.unicode())));
  return fromCore(fn(toCore(text), toCoreChar(c)));
}

QChar toQChar(char c) { return c == '\0' ? QChar() : fromCoreChar(c); }

}  // namespace

TfrKolvex::TfrKolvex(QWidget* parent) : Form(parent) {
  setObjectName(QStringLiteral("frKolvex"));
  ColorDialog1 = &FarbDialog();
}

TfrKolvex::~TfrKolvex() {
  if (frKolvex == this) frKolvex = nullptr;
}

// ---- Number text ----------------------------------------------------------------------------
QString TfrKolvex::FloatText(long double x) { return fromCore(kolvex::FloatText(x)); }
QString TfrKolvex::ZahlZuText(int n, long double x) { return fromCore(kolvex::ZahlZuText(n, x)); }
QString TfrKolvex::ExponentAufloesen(const QString& text) {
  return fromCore(kolvex::ExponentAufloesen(toCore(text)));
}
QString TfrKolvex::TausenderTrennen(const QString& text) {
  return fromCore(kolvex::TausenderTrennen(toCore(text)));
}
bool TfrKolvex::IstZahl(const QString& text) { return kolvex::IstZahl(toCore(text)); }
QString TfrKolvex::KommaZuPunkt(const QString& text) {
  return fromCore(kolvex::KommaZuPunkt(toCore(text)));
}
QString TfrKolvex::PunktZuKomma(const QString& text) {
  return fromCore(kolvex::PunktZuKomma(toCore(text)));
}
int TfrKolvex::KommaPosition(const QString& text) { return kolvex::KommaPosition(toCore(text)); }
int32_t TfrKolvex::TextZuGanzzahl(const QString& text) {
  return kolvex::TextZuGanzzahl(toCore(text));
}
long double TfrKolvex::TextZuZahl(const QString& text) { return kolvex::TextZuZahl(toCore(text)); }
double TfrKolvex::AufZehntelRunden(double v) { return kolvex::AufZehntelRunden(v); }
double TfrKolvex::AbZehntelRunden(double v) { return kolvex::AbZehntelRunden(v); }
double TfrKolvex::GeldTextZuZahl(const QString& text) { return ::GeldTextZuZahl(text); }
void TfrKolvex::GitterLeeren(StringGrid* grid) { ::GitterLeeren(grid); }

// ---- Key filters ----------------------------------------------------------------------------
QChar TfrKolvex::FormelTasteFiltern(const QString& text, QChar key, int caret) {
  return toQChar(kolvex::FormelTasteFiltern(toCore(text), toCoreChar(key), caret));
}
QChar TfrKolvex::WertTasteFiltern(const QString& text, QChar key) {
  return toQChar(kolvex::WertTasteFiltern(toCore(text), toCoreChar(key)));
}
QChar TfrKolvex::ZahlTasteFiltern(const QString& text, QChar key, QChar separator) {
  return toQChar(kolvex::ZahlTasteFiltern(toCore(text), toCoreChar(key), toCoreChar(separator)));
}
QChar TfrKolvex::ZiffernTasteFiltern(QChar key) {
  return toQChar(kolvex::ZiffernTasteFiltern(toCoreChar(key)));
}
char TfrKolvex::FormelTasteFiltern(const std::string& text, char key, int caret) {
  return kolvex::FormelTasteFiltern(text, key, caret);
}
char TfrKolvex::WertTasteFiltern(const std::string& text, char key) {
  return kolvex::WertTasteFiltern(text, key);
}
char TfrKolvex::ZahlTasteFiltern(const std::string& text, char key, char separator) {
  return kolvex::ZahlTasteFiltern(text, key, separator);
}
char TfrKolvex::ZiffernTasteFiltern(char key) { return kolvex::ZiffernTasteFiltern(key); }

// ---- Strings, files and system ----------------------------------------------------------------
bool TfrKolvex::DateiExistiert(const QString& name) { return ::DateiExistiert(name); }

bool TfrKolvex::VerzeichnisExistiert(const QString& path) {
  return !path.isEmpty() && QFileInfo(path).isDir();
}

QString TfrKolvex::DateiEndungGross(const QString& name) {
  return fromUtf8(kolvex::DateiEndungGross(utf8(name)));
}
QString TfrKolvex::OhneLeerzeichen(const QString& text) {
  return fromUtf8(kolvex::OhneLeerzeichen(utf8(text)));
}
QString TfrKolvex::OhneKomma(const QString& text) { return fromUtf8(kolvex::OhneKomma(utf8(text))); }
QString TfrKolvex::OhnePunkt(const QString& text) { return fromUtf8(kolvex::OhnePunkt(utf8(text))); }

QString TfrKolvex::OhneEndZeichen(const QString& text, QChar c) {
  return byCharacter(text, c, [](const std::string& t, char z) { return kolvex::OhneEndZeichen(t, z); });
}
QString TfrKolvex::OhneAnfangsZeichen(const QString& text, QChar c) {
  return byCharacter(text, c,
                     [](const std::string& t, char z) { return kolvex::OhneAnfangsZeichen(t, z); });
}
QString TfrKolvex::BisLetztesZeichen(const QString& text, QChar c) {
  return byCharacter(text, c,
                     [](const std::string& t, char z) { return kolvex::BisLetztesZeichen(t, z); });
}

QString TfrKolvex::TabFeld(const QString& line, int n, const QString& bisher) {
  std::string feld = utf8(bisher);
  kolvex::TabFeld(utf8(line), n, feld);
  return fromUtf8(feld);
}

QString TfrKolvex::TeilAmStrich(const QString& text, bool invers) {
  return fromUtf8(kolvex::TeilAmStrich(utf8(text), invers));
}
QString TfrKolvex::TeilAnSpitze(const QString& text, bool invers) {
  return fromUtf8(kolvex::TeilAnSpitze(utf8(text), invers));
}

int TfrKolvex::ListenIndex(QComboBox* combo, const QString& text) {
  return ::ListenIndex(combo, text);
}

void TfrKolvex::Zerlegen(const QString& separator, const QString& text, QStringList& teile,
                         int maxAnzahl) {
  std::vector<std::string> stuecke;
  kolvex::Zerlegen(utf8(separator), utf8(text), stuecke, maxAnzahl);
  teile.clear();
  for (const std::string& s : stuecke) teile.append(fromUtf8(s));
}

int TfrKolvex::WindowsVersion() { return 6; }

void TfrKolvex::Meldung(const QString& text) {
  showMessage(text, MessageKind::Warning, MessageButtons::Ok);
}

void TfrKolvex::Warten(int ms) {
  QElapsedTimer clock;
  clock.start();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  // Sleep in the event loop rather than spin; a timer wakes it when the time is up.
  for (qint64 left = ms - clock.elapsed(); left > 0; left = ms - clock.elapsed()) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(left), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
  }
}

// ---- Solver ------------------------------------------------------------------------------

bool TfrKolvex::MatrixInvertieren(int n, kolvex::Matrix31& a) {
  return kolvex::MatrixInvertieren(n, a);
}
bool TfrKolvex::MatrixMalVektor(int n, const kolvex::Matrix31& a, long double* v) {
  return kolvex::MatrixMalVektor(n, a, v);
}

// ---- Colour dialog and desktop launcher ----------------------------------------------------

void TfrKolvex::FormCreate() { FarbenLaden(); }
int32_t TfrKolvex::FarbeMerken(int32_t farbe) { return ::FarbeMerken(farbe); }
int32_t TfrKolvex::SilberErsetzen(int32_t farbe) { return kolvex::SilberErsetzen(farbe); }
void TfrKolvex::VerknuepfungErstellen() { ::VerknuepfungErstellen(); }
