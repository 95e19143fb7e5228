#pragma once
// TfrKolvex: the hidden host window of the shared routines. Every window calls them on
// frKolvex; they forward to the pure core (namespace kolvex) and convert between screen
// text (QString, "π") and core text (Latin-1 bytes, 0xB6) on the way. The window is never
// shown.
#include <QChar>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <type_traits>

#include "core/matrix.h"
#include "platform/form.h"

class QComboBox;
class QImage;
class KolvexFarbDialog;
namespace gif {
class GifFile;
class GifSubImage;
}  // namespace gif
class StringGrid;

class TfrKolvex : public Form {
  Q_OBJECT

 public:
  explicit TfrKolvex(QWidget* parent = nullptr);
  ~TfrKolvex() override;

  // ---- Number text ----------------------------------------------------------------------
  // The runtime's general float text (15 significant digits, decimal comma, "1E20").
  QString FloatText(long double x);
  QString ZahlZuText(int n, long double x);
  QString ExponentAufloesen(const QString& text);
  QString TausenderTrennen(const QString& text);
  bool IstZahl(const QString& text);
  QString KommaZuPunkt(const QString& text);
  QString PunktZuKomma(const QString& text);
  int KommaPosition(const QString& text);
  int32_t TextZuGanzzahl(const QString& text);
  long double TextZuZahl(const QString& text);
  double AufZehntelRunden(double v);
  double AbZehntelRunden(double v);
  // Money and rate fields of the calculators: dots dropped, comma as decimal point, other
  // characters ignored; 0 for a text that is not a number ("26.315,30 €" gives 26315,3).
  double GeldTextZuZahl(const QString& text);
  // Empties every cell of rows 1 to RowCount - 1; row 0 and the row count stay.
  void GitterLeeren(StringGrid* grid);

  // ---- Key filters: the character to insert, or 0 to swallow ------------------------------
  QChar FormelTasteFiltern(const QString& text, QChar key, int caret);
  QChar WertTasteFiltern(const QString& text, QChar key);
  QChar ZahlTasteFiltern(const QString& text, QChar key, QChar separator);
  QChar ZiffernTasteFiltern(QChar key);
  // The same on core text, usable as KeyFilterFn.
  char FormelTasteFiltern(const std::string& text, char key, int caret);
  char WertTasteFiltern(const std::string& text, char key);
  char ZahlTasteFiltern(const std::string& text, char key, char separator);
  char ZiffernTasteFiltern(char key);

  // ---- Strings, files and system ----------------------------------------------------------
  // An entry of that name (file, folder or link) exists; always followed by a pause of
  // DateiPauseMs milliseconds (platform/programm_dateien.h).
  bool DateiExistiert(const QString& name);
  bool VerzeichnisExistiert(const QString& path);
  QString DateiEndungGross(const QString& name);
  QString OhneLeerzeichen(const QString& text);
  QString OhneKomma(const QString& text);
  QString OhnePunkt(const QString& text);
  QString OhneEndZeichen(const QString& text, QChar c);
  QString OhneAnfangsZeichen(const QString& text, QChar c);
  QString BisLetztesZeichen(const QString& text, QChar c);
  // The n-th TAB field (1-based), characters below 32 dropped; when the line has fewer
  // fields the result is `bisher` (pass the variable being assigned to keep its value).
  QString TabFeld(const QString& line, int n, const QString& bisher = QString());
  QString TeilAmStrich(const QString& text, bool invers);
  QString TeilAnSpitze(const QString& text, bool invers);
  // 0-based index of the first item equal to text; 0 when none is (or no combo box).
  int ListenIndex(QComboBox* combo, const QString& text);
  // Splits text at every separator; at most maxAnzahl pieces when maxAnzahl > 0.
  void Zerlegen(const QString& separator, const QString& text, QStringList& teile,
                int maxAnzahl);
  int WindowsVersion();
  // Shows the text (or the number) as a warning with an OK button.
  void Meldung(const QString& text);
  void Meldung(const char* text) { Meldung(QString::fromUtf8(text)); }
  template <typename T>
    requires std::is_arithmetic_v<T>
  void Meldung(T value) {
    if constexpr (std::is_same_v<T, bool>)
      Meldung(QString(value ? "True" : "False"));
    else if constexpr (std::is_floating_point_v<T>)
      Meldung(FloatText(static_cast<long double>(value)));
    else
      Meldung(QString::number(value));
  }
  // Returns after at least ms milliseconds, processing window messages meanwhile.
  void Warten(int ms);

  // ---- Formula checks and the rewriting evaluator (core/formel.h, core/auswerter.h,
  // core/funktionen.h); formula text with "π". Positions are 1-based. ---------------------
  bool IstOperator(QChar c);
  bool IstKlammer(QChar c);
  bool IstOperatorOderKlammer(QChar c);
  bool IstPlusMinus(QChar c);
  bool IstMalGeteilt(QChar c);
  bool IstZifferOderKomma(QChar c);
  bool IstFunktionsEndbuchstabe(QChar c);
  bool IstWinkelFunktion(const QString& name);
  bool IstFunktion(const QString& name);
  QString KlammernEinfuegen(const QString& text);
  int FehlendesOperatorPos(const QString& text);
  int FormelPruefen(const QString& text);
  int LeereKlammerPos(const QString& text);
  int FunktionenPruefen(const QString& text, bool still);
  bool KlammerLoesbar(const QString& text, int position, bool erlaubeMalGeteilt);
  bool OhneInnereKlammer(const QString& text, int position);
  QString ZeichenLoeschen(const QString& text, int index);

  QString FunktionenAufloesen(const QString& text);
  QString VorzeichenZusammenfassen(const QString& text);
  QString KlammernAufloesen(const QString& text, bool erlaubeMalGeteilt);
  void InnersteGruppe(const QString& text, int& links, QString& gruppe, int& rechts);
  void KlammerInhalt(const QString& text, int& position, QString& gruppe);
  QString MalGeteiltAuswerten(const QString& text);
  QString PlusMinusAuswerten(const QString& text);
  QString OhneKlammern(const QString& text, int von, int bis);
  long double Rechne(QChar op, long double x, long double y);
  QString LinkerOperand(const QString& text, int& position);
  QString RechterZahlOperand(const QString& text, int& position);
  QString LinkerKlammerOperand(const QString& text, int& position);
  QString RechterOperand(const QString& text, int& position);

  QString FunktionenAuswerten(const QString& text);
  QString PotenzAuswerten(const QString& text);
  QString FakultaetAuswerten(const QString& text);
  void FunktionWert(const QString& name, QString& wert, long double x);
  long double Fakultaet(int32_t n);
  int SonderWinkel(long double x);
  bool FastGleich(long double a, long double b);
  void FalscherWertMeldung(const QString& label);

  // Variables and the pi sign (core/konstanten.h); letters come back as QChar, blank = none.
  bool IstKonstante(const QString& text, int position);
  long double KonstantenWert(const QString& text, int position, QChar& buchstabe);
  QString KonstantenEinsetzen(const QString& text, QChar& buchstabe);
  bool EnthaeltVariable(const QString& text);
  QChar UnbekannteKonstante(const QString& text, QChar grafikVariable);
  bool IstZahlMitKonstanten(const QString& text);

  // ---- Solver of the least-squares fit (core/matrix.h); false where the original stopped
  // with a floating-point error. -------------------------------------------------------------
  bool MatrixInvertieren(int n, kolvex::Matrix31& a);
  bool MatrixMalVektor(int n, const kolvex::Matrix31& a, long double* v);

  // ---- Colour dialog and desktop launcher (platform/farben.*, calculator/about.*) -------
  // Loads the colour dialog's custom colours ("farben.txx").
  void FormCreate() override;
  // The program's one colour dialog; its custom colours persist in "farben.txx".
  KolvexFarbDialog* ColorDialog1 = nullptr;
  int32_t FarbeMerken(int32_t farbe);
  int32_t SilberErsetzen(int32_t farbe);
  void VerknuepfungErstellen();

  // ---- GIF export of the data graph's picture (calculator/kolvex_gif.cpp) ----------------
  // Writes the picture as a GIF of one frame (GIF87a, local table of 256 colours keeping the
  // system colours, no extension) through a temporary file; a failure keeps an existing
  // file and raises the codec's or the file's error. Wait cursor meanwhile.
  void GifSpeichern(const QImage& bild, const QString& name);
  // Appends the frame of the picture with its looping (first frame) and control extensions;
  // the frame's index.
  int GifBildHinzufuegen(gif::GifFile& gif, const QImage& bild);
  // Colour index of the frame's bottom-left pixel (-1 for an empty frame).
  int GifTransparenzIndex(const gif::GifSubImage& bild);
};

extern TfrKolvex* frKolvex;
