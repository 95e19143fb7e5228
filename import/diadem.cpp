#include "import/diadem.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <limits>
#include <new>

#include "core/globals.h"
#include "core/routinen.h"
#include "core/tabelle.h"
#include "core/zahltext.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "import/diadem_kauswahl.h"
#include "engines/import/kanal_tabelle.h"
#include "platform/esc_watcher.h"
#include "platform/message_dialog.h"
#include "platform/programm_dateien.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "platform/text_file.h"

TfrDiaDem* frDiaDem = nullptr;

namespace {

QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
std::string U(const QString& s) { return s.toUtf8().toStdString(); }

const QString kSpeicherFehler = QStringLiteral(
    "Speicher-Fehler.\rEinstellung: XY-Daten von DiaDem mit Kanalauswahl. Lesen jede 10 oder 100 Wert.");

// The data file, mapped when the system allows it, else read piece by piece.
class DateiQuelle : public kolvex::Bytequelle {
 public:
  explicit DateiQuelle(QFile& datei) : datei_(datei), groesse_(static_cast<uint64_t>(std::max<qint64>(datei.size(), 0))) {
    if (groesse_ > 0) karte_ = datei_.map(0, static_cast<qint64>(groesse_));
  }
  ~DateiQuelle() override {
    if (karte_) datei_.unmap(karte_);
  }
  uint64_t groesse() const override { return groesse_; }
  std::string_view holen(uint64_t pos, size_t n) override {
    if (pos >= groesse_) return {};
    n = static_cast<size_t>(std::min<uint64_t>(n, groesse_ - pos));
    if (karte_) return {reinterpret_cast<const char*>(karte_) + pos, n};
    if (!datei_.seek(static_cast<qint64>(pos))) throw kolvex::LeseFehler(U(datei_.errorString()));
    puffer_.resize(static_cast<qsizetype>(n));
    const qint64 gelesen = datei_.read(puffer_.data(), static_cast<qint64>(n));
    if (gelesen < 0) throw kolvex::LeseFehler(U(datei_.errorString()));
    return {puffer_.constData(), static_cast<size_t>(gelesen)};
  }

 private:
  QFile& datei_;
  uint64_t groesse_;
  uchar* karte_ = nullptr;
  QByteArray puffer_;
};

// The data graph's bar, ESC panel, caption and channel boxes.
class FensterAnzeige : public kolvex::LeseAnzeige {
 public:
  explicit FensterAnzeige(TfrGrafikApprox* g) : g_(g) {}
  void beginnen(int64_t maximum) override {
    maximum_ = std::max<int64_t>(maximum, 1);
    seit_.start();
    if (!g_) return;
    g_->plTabelle->hide();
    // The bar runs 0..10000 whatever the count: no int overflow for huge files.
    g_->ProgressBar1->setRange(0, 10000);
    g_->ProgressBar1->setValue(0);
    g_->plAbbruch->show();
    g_->plAbbruch->repaint();
  }
  void fortschritt(int64_t wert, const std::string& titel) override {
    if (!g_) return;
    const int64_t teil = std::clamp<int64_t>(wert, 0, maximum_);
    g_->ProgressBar1->setValue(static_cast<int>(static_cast<double>(teil) * 10000.0 / static_cast<double>(maximum_)));
    if (!titel.empty()) g_->setWindowTitle(Q(titel));
  }
  bool abbruch() override {
    // Asking pumps the window's events, which repaints it; a short load does without, a
    // long one asks every few milliseconds from then on.
    if (seit_.elapsed() < TfrDiaDem::EscAbMs) return false;
    if (!EscWatcher::pressed()) return false;
    // One press ends one run: the next chosen channel is read again.
    EscWatcher::reset();
    return true;
  }
  void kanalBoxen(const std::vector<std::string>& namen) override {
    if (!g_) return;
    KanalListe liste;
    liste.anhaengen("Nr");
    for (const std::string& n : namen) liste.anhaengen(n);
    g_->KanalBoxenSetzen(liste);
  }
  void beenden() override {
    if (!g_) return;
    g_->plTabelle->show();
    g_->plAbbruch->hide();
    g_->setWindowTitle(QStringLiteral(" XY-Daten im Diagramm"));
  }

 private:
  TfrGrafikApprox* g_;
  int64_t maximum_ = 1;
  QElapsedTimer seit_;
};

// Ends the display however the reader leaves.
struct AnzeigeBeenden {
  kolvex::LeseAnzeige& a;
  ~AnzeigeBeenden() { a.beenden(); }
};

}  // namespace

TfrDiaDem::~TfrDiaDem() {
  if (frDiaDem == this) frDiaDem = nullptr;
}

void TfrDiaDem::Meldungen(const std::vector<std::string>& texte) {
  for (const std::string& t : texte) showMessage(Q(t), MessageKind::Warning);
}

// ---- Header -------------------------------------------------------------------------------------

bool TfrDiaDem::HeaderLaden(const QString& name) {
  kolvex::HeaderLeeren();
  lbHead.clear();
  lbHeadWin1252 = false;
  if (!DateiExistiert(name)) {
    showMessage(name + QStringLiteral(" nicht gefunden"), MessageKind::Warning);
    return true;
  }
  QFile datei(name);
  if (!datei.open(QIODevice::ReadOnly)) {
    showMessage(readFailedText(name, datei.errorString()), MessageKind::Warning);
    return false;
  }
  const QByteArray bytes = datei.readAll();
  if (datei.error() != QFileDevice::NoError) {
    showMessage(readFailedText(name, datei.errorString()), MessageKind::Warning);
    return false;
  }
  lbHeadWin1252 = !kolvex::GueltigesUtf8(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  const QString text = decodeText(bytes);
  // Lines end at CR LF, LF or a lone CR; a last line without an end counts.
  qsizetype a = 0;
  const qsizetype n = text.size();
  while (a < n) {
    qsizetype e = a;
    while (e < n && text[e] != QLatin1Char('\n') && text[e] != QLatin1Char('\r')) ++e;
    lbHead.push_back(kolvex::SteuerzeichenEntfernen(U(text.mid(a, e - a))));
    if (e < n && text[e] == QLatin1Char('\r') && e + 1 < n && text[e + 1] == QLatin1Char('\n')) ++e;
    a = e + 1;
  }
  return true;
}

void TfrDiaDem::DATHeaderLesen(QString& typ, QString& anzahl) {
  kolvex::KopfErgebnis e;
  kolvex::DATHeaderLesen(lbHead, e);
  Memo1 = std::move(e.memo1);
  Memo2 = std::move(e.memo2);
  typ = Q(e.typ);
  anzahl = Q(e.anzahl);
  Meldungen(e.meldungen);
}

void TfrDiaDem::TDMHeaderLesen(QString& typ, QString& anzahl) {
  kolvex::KopfErgebnis e;
  kolvex::TDMHeaderLesen(lbHead, lbHeadWin1252, e);
  Memo1 = std::move(e.memo1);
  Memo2 = std::move(e.memo2);
  typ = Q(e.typ);
  anzahl = Q(e.anzahl);
  Meldungen(e.meldungen);
}

kolvex::KanalStatistik TfrDiaDem::KanalMinMax(const QString& name) const {
  return kolvex::KanalMinMax(lbHead, U(name));
}

void TfrDiaDem::ByteFolgeBestimmen() { ByteTausch = kolvex::ByteFolgeBestimmen(lbHead); }

// ---- Data ---------------------------------------------------------------------------------------

QString TfrDiaDem::DatenEndung(const QString& typ) { return Q(kolvex::DatenEndung(U(typ))); }

QString TfrDiaDem::DatenDateiName(const QString& headerName, const QString& typ) {
  const qsizetype punkt = headerName.lastIndexOf(QLatin1Char('.'));
  const qsizetype ordner = std::max(headerName.lastIndexOf(QLatin1Char('/')), headerName.lastIndexOf(QLatin1Char('\\')));
  const QString basis = punkt > ordner ? headerName.left(punkt) : headerName;
  return basis + DatenEndung(typ);
}

QString TfrDiaDem::DatenDateiSuchen(const QString& name) {
  if (DateiExistiert(name)) return name;
  // The measurement may come from a file system that ignores letter case.
  const QFileInfo info(name);
  const QDir ordner = info.dir();
  for (const QString& n : ordner.entryList(QDir::Files | QDir::Hidden))
    if (n.compare(info.fileName(), Qt::CaseInsensitive) == 0) return ordner.filePath(n);
  return {};
}

kolvex::LeseStand TfrDiaDem::AlleKanaeleLesen(const QString& datei, kolvex::Satzart art) {
  QFile f(datei);
  if (!f.open(QIODevice::ReadOnly)) throw kolvex::LeseFehler(U(f.errorString()));
  DateiQuelle quelle(f);
  FensterAnzeige fenster(frGrafikApprox);
  kolvex::LeseAnzeige& anzeige = AnzeigeTestHook ? *AnzeigeTestHook : fenster;
  AnzeigeBeenden ende{anzeige};
  if (art == kolvex::Satzart::R64) ByteFolgeBestimmen();
  return kolvex::AlleKanaeleLesen(quelle, art, ByteTausch, anzeige, Optionen);
}

kolvex::LeseStand TfrDiaDem::GewaehlteKanaeleLesen(const QString& datei, kolvex::Satzart art) {
  QFile f(datei);
  if (!f.open(QIODevice::ReadOnly)) throw kolvex::LeseFehler(U(f.errorString()));
  DateiQuelle quelle(f);
  if (art == kolvex::Satzart::R64) ByteFolgeBestimmen();

  kolvex::Auswahl wahl;
  TfrDiaDemKAuswahl* d = frDiaDemKAuswahl;
  if (d) {
    wahl.gewaehlt.assign(static_cast<size_t>(std::max(d->sg1->RowCount(), 1)), false);
    for (int r = 1; r < d->sg1->RowCount(); ++r)
      wahl.gewaehlt[static_cast<size_t>(r)] = d->sg1->Cells(3, r) == QLatin1String("X");
    wahl.intervall = std::max(1, kolvex::TextZuGanzzahl(toCore(d->edInterval->text())));
  }

  kolvex::GewaehltErgebnis e;
  FensterAnzeige fenster(frGrafikApprox);
  kolvex::LeseAnzeige& anzeige = AnzeigeTestHook ? *AnzeigeTestHook : fenster;
  // The columns read so far go into sg1 also when the reading fails half-way.
  auto uebernehmen = [&] {
    ValueTable neu;
    const int spalten = static_cast<int>(e.kopf.size());
    neu.setSize(1, e.zeilen + 1);
    for (int c = 1; c < spalten; ++c) {
      std::vector<double>& s = e.spalten[static_cast<size_t>(c)];
      s.resize(static_cast<size_t>(e.zeilen) + 1, std::numeric_limits<double>::quiet_NaN());
      neu.insertColumn(c, std::move(s));
      neu.setCell(c, 0, std::string_view(e.kopf[static_cast<size_t>(c)]));
    }
    if (wahl.intervall == 1) {
      std::vector<double> nr(static_cast<size_t>(e.zeilen) + 1);
      for (size_t r = 0; r < nr.size(); ++r) nr[r] = static_cast<double>(r);
      neu.setColumn(0, std::move(nr));
    } else {
      for (int r = 1; r <= e.zeilen; ++r) neu.setCell(0, r, std::string_view(kolvex::ZeilenText(r, wahl.intervall)));
    }
    neu.setCell(0, 0, std::string_view("Nr"));
    neu.trim();  // the columns were built growing
    if (frGrafikApprox) {
      frGrafikApprox->sg1->table().moveFrom(neu);
      frGrafikApprox->sg1->tableChanged();
    }
  };
  AnzeigeBeenden ende{anzeige};
  try {
    kolvex::GewaehlteKanaeleLesen(quelle, art, ByteTausch, kolvex::BlockFormat, wahl, anzeige, e, Optionen);
  } catch (...) {
    try {
      uebernehmen();
    } catch (const std::bad_alloc&) {
    }
    throw;
  }
  uebernehmen();
  return e.stand;
}

bool TfrDiaDem::DatenLesen(const QString& headerName, const QString& typ) {
  // Nothing of an earlier file may reach this one's table.
  kolvex::Messwerte.clear();
  kolvex::Messwerte.shrink_to_fit();
  const QString gesucht = DatenDateiName(headerName, typ);
  const QString datei = DatenDateiSuchen(gesucht);
  if (datei.isEmpty()) {
    showMessage(QStringLiteral("Datei ") + gesucht + QStringLiteral(" nicht gefunden"), MessageKind::Information);
    return true;
  }
  kolvex::Satzart art;
  if (!kolvex::SatzartAusTyp(U(typ), art)) return true;

  const bool gewaehlt = frDiaDemKAuswahl && frDiaDemKAuswahl->Tag == 1;
  kolvex::LeseStand stand;
  QString meldung;
  MessageKind art2 = MessageKind::Warning;
  {
    EscWatcher::Operation esc;
    try {
      if (gewaehlt) {
        stand = GewaehlteKanaeleLesen(datei, art);
      } else {
        stand = AlleKanaeleLesen(datei, art);
        stand.erwartet = kolvex::ErwarteteWerte(U(typ));
      }
      if (!stand.abgebrochen && stand.gelesen < stand.erwartet) {
        meldung = QStringLiteral("Datei ") + datei + QStringLiteral(" ist unvollständig: ") +
                  QString::number(stand.gelesen) + QStringLiteral(" von ") +
                  QString::number(stand.erwartet) + QStringLiteral(" Werten gelesen.");
        art2 = MessageKind::Information;
      }
    } catch (const std::bad_alloc&) {
      meldung = kSpeicherFehler;
    } catch (const kolvex::LeseFehler& f) {
      kolvex::Messwerte.clear();
      kolvex::Messwerte.shrink_to_fit();
      meldung = readFailedText(datei, Q(f.what()));
    }
  }
  if (!meldung.isEmpty()) showMessage(meldung, art2);
  return !gewaehlt;
}

// ---- Tables -------------------------------------------------------------------------------------

void TfrDiaDem::TabelleAufbauen(ValueTable& grid, const QString& typ) {
  kolvex::Tabelle t;
  kolvex::TabelleAufbauen(U(typ), t);
  Meldungen(t.meldungen);
  ValueTable neu;
  const int spalten = static_cast<int>(t.spalten.size());
  neu.setSize(0, t.zeilen);
  for (int c = 0; c < spalten; ++c) {
    neu.insertColumn(c, std::move(t.spalten[static_cast<size_t>(c)]));
    neu.setCell(c, 0, std::string_view(t.kopf[static_cast<size_t>(c)]));
  }
  for (const auto& [c, text] : t.textSpalten)
    for (int r = 1; r < t.zeilen; ++r) neu.setCell(c, r, std::string_view(text));
  grid.moveFrom(neu);
}

void TfrDiaDem::NrSpalteEinfuegen(ValueTable& grid) {
  std::vector<double> nr(static_cast<size_t>(grid.rowCount()));
  for (size_t r = 0; r < nr.size(); ++r) nr[r] = static_cast<double>(r);
  grid.insertColumn(0, std::move(nr));
}

void TfrDiaDem::TabelleKomprimieren(ValueTable& grid) {
  // Rows empty in the first three columns go (the number column, where there is one,
  // keeps every row); then the columns without a header.
  std::vector<bool> behalten(static_cast<size_t>(grid.rowCount()), true);
  bool alle = true;
  for (int r = 0; r < grid.rowCount(); ++r) {
    bool leer = true;
    for (int c = 0; c < 3 && c < grid.columnCount() && leer; ++c) leer = grid.isEmpty(c, r);
    behalten[static_cast<size_t>(r)] = !leer;
    alle = alle && !leer;
  }
  std::vector<int> ohneKopf;
  for (int c = grid.columnCount() - 1; c >= 0; --c)
    if (grid.isEmpty(c, 0)) ohneKopf.push_back(c);
  if (!alle) grid.keepRows(behalten);
  for (int c : ohneKopf) grid.removeColumn(c);
}

void TfrDiaDem::GridKopieren(ValueTable& quelle, ValueTable& ziel) { ziel.moveFrom(quelle); }

void TfrDiaDem::GridLoeschen(ValueTable& grid) { grid.clear(); }

// ---- Loading into the data graph ----------------------------------------------------------------

void TfrDiaDem::DiaDemDateiLaden(const QString& name) {
  TfrGrafikApprox* g = frGrafikApprox;
  if (!g) return;
  if (!HeaderLaden(name)) return;
  QString typ;
  QString anzahl;
  if (kolvex::DateiEndungGross(U(name)) == ".TDM")
    TDMHeaderLesen(typ, anzahl);
  else
    DATHeaderLesen(typ, anzahl);

  // Comment grid.
  std::vector<QString> kommentare;
  for (const std::string& z : Memo1)
    if (!z.empty()) kommentare.push_back(Q(z));
  g->sgK->clearCells();
  g->sgK->setRowCount(std::max<int>(2, static_cast<int>(kommentare.size()) + 1));
  g->sgK->setCells(0, 0, QStringLiteral(" Nr"));
  g->sgK->setCells(1, 0, QStringLiteral(" Kommentar"));
  for (size_t k = 0; k < kommentare.size(); ++k) {
    g->sgK->setCells(0, static_cast<int>(k) + 1, QStringLiteral(" ") + QString::number(k + 1));
    g->sgK->setCells(1, static_cast<int>(k) + 1, kommentare[k]);
  }

  // Channel boxes: "Nr" and every named channel.
  std::vector<std::string> namen;
  for (int k = 1; k <= std::min(kolvex::KanalAnzahl, kolvex::MaxKanaele); ++k)
    if (!kolvex::KanalName[static_cast<size_t>(k)].empty()) namen.push_back(kolvex::KanalName[static_cast<size_t>(k)]);

  try {
    FensterAnzeige(g).kanalBoxen(namen);
    if (DatenLesen(name, typ)) {
      TabelleAufbauen(sgh, typ);
      NrSpalteEinfuegen(sgh);
      sgh.setCell(0, 0, std::string_view("Nr"));
      TabelleKomprimieren(sgh);
      sgh.trim();  // the columns were built growing
      GridKopieren(sgh, g->sg1->table());
      g->sg1->tableChanged();
    }
  } catch (const std::bad_alloc&) {
    sgh = ValueTable();
    showMessage(kSpeicherFehler, MessageKind::Warning);
  }

  for (QComboBox* cb : {g->cbXKanal, g->cbYKanal}) {
    const std::string& gemerkt = cb == g->cbXKanal ? kolvex::KanalX : kolvex::KanalY;
    const QSignalBlocker sperre(cb);
    cb->setCurrentIndex(std::max(0, cb->findText(Q(gemerkt))));
  }
  g->cbXKanalChange();
  g->lbFName->setText(name);
  g->lbTitel->setText(QString::number(g->sg1->ColCount() - 1) + QStringLiteral(" Kanäle  ") +
                      QString::number(g->sg1->RowCount() - 1) + QStringLiteral(" Werte Datei: "));
  g->cbKommentar->show();
  g->sgK->setVisible(g->cbKommentar->isChecked());
  g->Splitter1->setVisible(g->cbKommentar->isChecked());
}
