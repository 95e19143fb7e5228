#include "import/diadem_kauswahl.h"

#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <algorithm>

#include "core/globals.h"
#include "core/routinen.h"
#include "core/zahltext.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "import/diadem.h"
#include "engines/import/kanal_tabelle.h"
#include "platform/bgr_color.h"
#include "platform/einstellungsdatei.h"
#include "platform/line_edit.h"
#include "platform/message_dialog.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"

TfrDiaDemKAuswahl* frDiaDemKAuswahl = nullptr;

namespace {
constexpr int kWahl = 3;  // the "Wahl" column
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
}  // namespace

TfrDiaDemKAuswahl::TfrDiaDemKAuswahl(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  sg1->setCellColorHook([this](int col, int row, QColor& h, QColor& t) { ZellFarbe(col, row, h, t); });
  connect(sg1, &QTableView::clicked, this,
          [this](const QModelIndex& i) { sg1Click(sg1->gridCol(i), sg1->gridRow(i)); });
  connect(sg1->horizontalHeader(), &QHeaderView::sectionPressed, this,
          [this](int s) { sg1KopfKlick(sg1->gridCol(sg1->model()->index(0, s))); });
  connect(edInterval, &QLineEdit::editingFinished, this, &TfrDiaDemKAuswahl::IntervallPruefen);
  connect(sbWeiter, &QPushButton::clicked, this, &TfrDiaDemKAuswahl::sbWeiterClick);
  connect(sbExit, &QPushButton::clicked, this, &TfrDiaDemKAuswahl::sbExitClick);
}

TfrDiaDemKAuswahl::~TfrDiaDemKAuswahl() {
  if (frDiaDemKAuswahl == this) frDiaDemKAuswahl = nullptr;
}

namespace {
// The interval shown for a saved one; "1" while none was saved.
QString Intervall() {
  return kolvex::LeseIntervall.empty() ? QStringLiteral("1") : Q(kolvex::LeseIntervall);
}
}  // namespace

void TfrDiaDemKAuswahl::FormCreate() {
  // The settings writer takes the interval from here, so the loaded one must be in place.
  setTextFromStart(edInterval, Intervall());
}

bool TfrDiaDemKAuswahl::KanaeleWaehlen() {
  plKanal->hide();
  Tag = 0;
  ShowModal();
  return Tag == 1;
}

void TfrDiaDemKAuswahl::FormShow() {
  setTextFromStart(edInterval, Intervall());
  lbKZahl->clear();
  lbWZahl->clear();
  sg1->clearCells();
  sg1->setRowCount(2);
  sg1->setCells(0, 0, QStringLiteral("Nr"));
  sg1->setCells(1, 0, QStringLiteral("Kanal"));
  sg1->setCells(2, 0, QStringLiteral("Beschreibung"));
  sg1->setCells(kWahl, 0, QStringLiteral("Wahl"));

  QString datei = DateiTestHook;
  if (datei.isEmpty() && frGrafikApprox) datei = frGrafikApprox->OpenDialog1.FileName;
  datei = TfrGrafikApprox::DatenDateiName(datei);
  const QString endung = QString::fromStdString(kolvex::DateiEndungGross(datei.toStdString()));

  int zeilen = 0;
  if (endung != QLatin1String(".DAT") && endung != QLatin1String(".TDM")) {
    // A text table: its columns are the channels.
    if (frGrafikApprox) {
      frGrafikApprox->TextDateiLaden(datei);
      const ValueGrid* g = frGrafikApprox->sg1;
      zeilen = g->ColCount();
      sg1->setRowCount(std::max(2, zeilen + 1));
      for (int i = 1; i <= zeilen; ++i) {
        sg1->setCells(0, i, QString::number(i));
        sg1->setCells(1, i, g->Cells(i - 1, 0));
      }
      lbKZahl->setText(QStringLiteral("Anzahl Kanäle: ") + QString::number(g->ColCount()));
      lbWZahl->setText(QStringLiteral("Anzahl Werte: ") + QString::number(g->RowCount()));
    }
    setWindowTitle(QStringLiteral(" ") + endung.mid(1) + QStringLiteral("  Kanal Auswahl"));
  } else if (frDiaDem) {
    QString typ;
    QString anzahl;
    if (frDiaDem->HeaderLaden(datei)) {
      if (endung == QLatin1String(".TDM"))
        frDiaDem->TDMHeaderLesen(typ, anzahl);
      else
        frDiaDem->DATHeaderLesen(typ, anzahl);
    }
    zeilen = std::clamp(kolvex::KanalAnzahl, 0, kolvex::MaxKanaele);
    sg1->setRowCount(std::max(2, zeilen + 1));
    for (int k = 1; k <= zeilen; ++k) {
      sg1->setCells(0, k, QString::number(k));
      sg1->setCells(1, k, Q(kolvex::KanalName[static_cast<size_t>(k)]));
      sg1->setCells(2, k, Q(kolvex::KanalBeschreibung[static_cast<size_t>(k)]));
      if (kolvex::IstImplizit(k)) sg1->setCells(kWahl, k, QStringLiteral("K"));
    }
    // The BLOCK layout is read correctly, so it needs no warning; the caption still tells.
    const QString layout = kolvex::BlockFormat ? QStringLiteral(" BLOCK ") : QStringLiteral(" CHANEL");
    setWindowTitle(QStringLiteral(" DiaDem ") + endung + layout + QStringLiteral("  Kanal Auswahl"));
    lbKZahl->setText(QStringLiteral("Anzahl Kanäle: ") + QString::number(kolvex::KanalAnzahl));
    lbWZahl->setText(QStringLiteral("Anzahl Werte: ") + anzahl);
    LeseGesamt = kolvex::TextZuGanzzahl(toCore(anzahl));
  }

  // The saved choice, one character per selectable row, for the rows this grid has.
  const QString maske = Q(kolvex::KanalWahlMaske);
  qsizetype m = 0;
  for (int r = 1; r <= zeilen && r < sg1->RowCount(); ++r) {
    if (sg1->Cells(kWahl, r) == QLatin1String("K")) continue;
    if (m < maske.size() && maske[m] == QLatin1Char('X')) sg1->setCells(kWahl, r, QStringLiteral("X"));
    ++m;
  }
  markieren_ = false;
  sg1->viewport()->update();
}

int TfrDiaDemKAuswahl::AnzahlGewaehlt() const {
  int n = 0;
  for (int r = 1; r < sg1->RowCount(); ++r) n += sg1->Cells(kWahl, r) == QLatin1String("X") ? 1 : 0;
  return n;
}

void TfrDiaDemKAuswahl::IntervallPruefen() {
  int n = kolvex::TextZuGanzzahl(toCore(edInterval->text()));
  n = std::min(n, LeseGesamt);
  n = std::max(n, 1);
  setTextFromStart(edInterval, QString::number(n));
}

void TfrDiaDemKAuswahl::sg1Click(int col, int row) {
  if (row < 1 || row >= sg1->RowCount()) return;
  if (col == kWahl && sg1->Cells(kWahl, row) != QLatin1String("K"))
    sg1->setCells(kWahl, row, sg1->Cells(kWahl, row) == QLatin1String("X") ? QString() : QStringLiteral("X"));
  plKanal->show();
  lbKanal->setText(sg1->Cells(1, row) + QStringLiteral("  ") + sg1->Cells(2, row));
  kolvex::KanalStatistik s;
  if (frDiaDem) s = frDiaDem->KanalMinMax(sg1->Cells(1, row));
  lbKanalMin->setText(Q(kolvex::FloatText(s.min)));
  lbKanalMax->setText(Q(kolvex::FloatText(s.max)));
  markieren_ = true;
  sg1->viewport()->update();
}

void TfrDiaDemKAuswahl::sg1KopfKlick(int col) {
  if (col != kWahl) return;
  const QString neu = AnzahlGewaehlt() > 0 ? QString() : QStringLiteral("X");
  for (int r = 1; r < sg1->RowCount(); ++r)
    if (sg1->Cells(kWahl, r) != QLatin1String("K")) sg1->setCells(kWahl, r, neu);
}

void TfrDiaDemKAuswahl::sbWeiterClick() {
  if (AnzahlGewaehlt() == 0) {
    showMessage(QStringLiteral("Kanäle auswählen"), MessageKind::Warning);
    return;
  }
  IntervallPruefen();
  Tag = 1;
  std::string maske;
  for (int r = 1; r < sg1->RowCount(); ++r) {
    const QString w = sg1->Cells(kWahl, r);
    if (w == QLatin1String("K")) continue;
    maske += w == QLatin1String("X") ? 'X' : '-';
  }
  kolvex::KanalWahlMaske = maske;
  HauptEinstellungenSpeichern();
  close();
}

void TfrDiaDemKAuswahl::sbExitClick() {
  Tag = 0;
  close();
}

void TfrDiaDemKAuswahl::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  sg1->setColWidth(2, std::max(60, sg1->width() - 30 - 70 - 40 - 42));
  plKanal->hide();
}

void TfrDiaDemKAuswahl::ZellFarbe(int col, int row, QColor& h, QColor& t) const {
  t = Qt::black;
  const QString wahl = sg1->Cells(kWahl, row);
  if (row == 0 || col == 0) {
    h = colorFromBgr(0xC0DCC0);
    return;
  }
  h = palette().base().color();
  if (wahl == QLatin1String("X")) h = colorFromBgr(0x17F9F3);
  if (wahl == QLatin1String("K")) h = palette().button().color();
  if (markieren_ && row == sg1->Row() && (col == 1 || col == 2)) {
    h = colorFromBgr(0xFFCCEA);
    t = Qt::blue;
  }
}
