#include "datagraph/approxim_auswahl.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "core/approxim.h"
#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_datenquelle.h"
#include "platform/line_edit.h"
#include "platform/message_dialog.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"

TfrApproxim_Auswahl* frApproxim_Auswahl = nullptr;

namespace {

const QString kLeer = QStringLiteral("y = ");

ApproximDatenquelle* Quelle() { return frApproxim ? frApproxim->Datenquelle : nullptr; }

void FormelFarbe(QLineEdit* ed, const QColor& farbe) {
  QPalette p = ed->palette();
  p.setColor(QPalette::Text, farbe);
  ed->setPalette(p);
}

}  // namespace

TfrApproxim_Auswahl::TfrApproxim_Auswahl(QWidget* parent) : Form(parent) {
  LayoutErzeugen();
  for (QCheckBox* box : boxen_) {
    box->installEventFilter(this);
    connect(box, &QCheckBox::clicked, this, [this, box] {
      TermBoxClick(box);
      if (mausLos_) {
        mausLos_ = false;
        TermBoxMausLos();
      }
    });
  }
  sg->installEventFilter(this);
  connect(sg, &QAbstractItemView::clicked, this, [this] { sg->setCol(1); });
  connect(cbApp, &QComboBox::activated, this, &TfrApproxim_Auswahl::cbAppChange);
  connect(cbAbrunden, &QCheckBox::clicked, this, &TfrApproxim_Auswahl::cbAbrundenClick);
  connect(cbApproximZeigen, &QCheckBox::clicked, this, &TfrApproxim_Auswahl::cbApproximZeigenClick);
  connect(sbKopieren, &QPushButton::clicked, this, &TfrApproxim_Auswahl::sbKopierenClick);
  connect(sbLoschen, &QPushButton::clicked, this, &TfrApproxim_Auswahl::sbLoschenClick);
  connect(sbNeueFktPlus, &QPushButton::clicked, this, &TfrApproxim_Auswahl::sbNeueFktPlusClick);
  connect(sbExit, &QPushButton::clicked, this, [this] { close(); });
}

TfrApproxim_Auswahl::~TfrApproxim_Auswahl() {
  qApp->removeEventFilter(this);
  if (frApproxim_Auswahl == this) frApproxim_Auswahl = nullptr;
}

void TfrApproxim_Auswahl::FormCreate() {}

void TfrApproxim_Auswahl::FormShow() { schliesst_ = false; }

void TfrApproxim_Auswahl::FormActivate() {
  // Showing the model list again while closing may hand the activation back for a moment;
  // that must not build the model text the close has just emptied.
  if (schliesst_) return;
  // Enter in the grid's cell editors reaches the window first.
  qApp->installEventFilter(this);
  KurvenListeFuellen();
  FormelAufbauen(1);
}

void TfrApproxim_Auswahl::FormClose(bool&) {
  schliesst_ = true;
  qApp->removeEventFilter(this);
  plOben->setText(QString());  // the data graph fits the model list's choice again
  if (frApproxim) frApproxim->AnsaetzeSpeichern();
  cbApproximZeigen->setChecked(true);
  cbApproximZeigenClick();
  if (ApproximDatenquelle* q = Quelle()) q->ApproximationZeichnen();
}

// ---- Model text ---------------------------------------------------------------------------

void TfrApproxim_Auswahl::BoxSetzen(QCheckBox* box, bool an) {
  const QSignalBlocker still(box);
  box->setChecked(an);
}

void TfrApproxim_Auswahl::FormelAufbauen(int modus) {
  QString m = kLeer;
  QString v = kLeer;
  int k = 0;
  for (QCheckBox* box : boxen_) {
    if (!box->isChecked()) continue;
    ++k;
    if (k >= 11) {
      BoxSetzen(box, false);  // silently: the text is being built right now
      continue;
    }
    QString name = box->text();
    QString trenner = m == kLeer ? QString() : QStringLiteral(" + ");
    QString mal = QStringLiteral("*");
    if (name == QStringLiteral("Konstante")) {
      name.clear();
      mal.clear();
    }
    m += trenner + QStringLiteral("a%1").arg(k) + mal + name;
    const QString c = sg->Cells(1, k);
    double wert = 0;
    if (kolvex::KoeffizientLesen(toCore(c), wert) && wert < 0) trenner = QStringLiteral(" - ");
    v += trenner + c + mal + name;
  }
  plOben->setText(m);
  v.replace(QStringLiteral(" - -"), QStringLiteral(" - "));
  setTextFromStart(edFormel, k > 0 ? v : QString());
  if (k > 10) {
    showMessage(QString::fromLatin1(kolvex::MeldungZuVieleTerme.data(),
                                    static_cast<int>(kolvex::MeldungZuVieleTerme.size())),
                MessageKind::Warning);
    k = 10;
  }
  if (modus == 1 && frApproxim) frApproxim->KoeffizientenAnzeigen(m, k);
}

void TfrApproxim_Auswahl::AnsatzEinlesen() {
  for (QCheckBox* box : boxen_) BoxSetzen(box, false);
  QString ansatz;
  if (frApproxim) {
    const int i = frApproxim->RadioGroup1->itemIndex();
    if (i >= 0 && i < frApproxim->lbh->count()) ansatz = frApproxim->lbh->item(i)->text();
  }
  ansatz.remove(QLatin1Char(' '));
  ansatz.remove(QLatin1Char('*'));
  const QStringList seiten = ansatz.split(QLatin1Char('='));
  if (seiten.size() >= 2) {
    const QStringList terme = seiten[1].split(QLatin1Char('+'));
    for (int j = 0; j < terme.size(); ++j) {
      QString term = terme[j];
      term.remove(QStringLiteral("a%1").arg(j + 1), Qt::CaseInsensitive);
      QCheckBox* box = nullptr;
      if (term.isEmpty()) {
        box = boxen_[0];
      } else {
        for (QCheckBox* b : boxen_)
          if (b != boxen_[0] && b->text() == term) box = b;
      }
      if (box) BoxSetzen(box, true);
    }
  }
  // Ticking by program builds once; the fit follows when the window is activated.
  FormelAufbauen(isVisible() ? 1 : 2);
}

void TfrApproxim_Auswahl::AuswahlLoeschen() {
  for (QCheckBox* box : boxen_) BoxSetzen(box, false);
  FormelAufbauen(1);
}

void TfrApproxim_Auswahl::KurvenListeFuellen() {
  cbApp->clear();
  if (ApproximDatenquelle* q = Quelle())
    for (int s = 1; s <= q->KurvenAnzahl(); ++s) cbApp->addItem(q->KurvenBeschriftung(s));
  cbApp->setCurrentIndex(cbApp->count() > 0 ? 0 : -1);
}

int TfrApproxim_Auswahl::GewaehlteKurve() const { return cbApp->currentIndex() + 1; }

// ---- Coefficients -------------------------------------------------------------------------

bool TfrApproxim_Auswahl::GetippteKoeffizienten(std::vector<double>& koeff, QString* fehler) const {
  koeff.clear();
  for (int i = 1; i < sg->RowCount(); ++i) {
    const QString text = sg->Cells(1, i);
    double wert = 0;
    if (!kolvex::KoeffizientLesen(toCore(text), wert)) {
      if (fehler)
        *fehler = QStringLiteral("Der Koeffizient a%1 ist keine Zahl: \"%2\"").arg(i).arg(text);
      return false;
    }
    koeff.push_back(wert);
  }
  return true;
}

void TfrApproxim_Auswahl::KoeffizientenEintragen() {
  const bool abrunden = cbAbrunden->isChecked();
  for (int i = 1; i < sg->RowCount(); ++i) {
    const double wert = i < static_cast<int>(kolvex::Koeff.size()) ? kolvex::Koeff[static_cast<size_t>(i)] : 0.0;
    sg->setCells(1, i, fromCore(kolvex::KoeffizientText(wert, abrunden)));
  }
}

// The curve chosen in cbApp with the coefficients typed in the grid, once they are all
// numbers.
void TfrApproxim_Auswahl::MitGetipptenZeichnen() {
  std::vector<double> koeff;
  QString fehler;
  if (!GetippteKoeffizienten(koeff, &fehler)) {
    showMessage(fehler, MessageKind::Warning);
    return;
  }
  ApproximDatenquelle* q = Quelle();
  if (!q || GewaehlteKurve() < 1) return;
  Tag = 1;
  q->ApproximationZeichnenKurve(GewaehlteKurve());
  Tag = 0;
}

// ---- Events -------------------------------------------------------------------------------

void TfrApproxim_Auswahl::TermBoxClick(QCheckBox* box) {
  QCheckBox* ln = findChild<QCheckBox*>(QStringLiteral("cbLF1"));
  QCheckBox* log = findChild<QCheckBox*>(QStringLiteral("cbLF2"));
  if (box == ln && ln->isChecked()) BoxSetzen(log, false);
  if (box == log && log->isChecked()) BoxSetzen(ln, false);
  FormelAufbauen(1);
  sg->viewport()->update();
}

void TfrApproxim_Auswahl::TermBoxMausLos() {
  if (ApproximDatenquelle* q = Quelle()) q->ApproximationZeichnen();
  edFormel->update();
  FormelAufbauen(2);
}

bool TfrApproxim_Auswahl::cbAppChange(int index) {
  if (!frApproxim || index < 0) return false;
  QString fehler;
  const kolvex::FitErgebnis e = frApproxim->ApproximationBerechnen(index + 1, &fehler);
  if (!e.meldung.empty()) showMessage(fromCore(e.meldung), MessageKind::Warning);
  if (!e.ok) {
    if (!fehler.isEmpty()) showMessage(fehler, MessageKind::Warning);
    return false;
  }
  KoeffizientenEintragen();
  if (QWidget* f = focusWidget()) f->clearFocus();
  return true;
}

void TfrApproxim_Auswahl::cbAbrundenClick() {
  // A failed fit ends here, as the grid then holds nothing new to draw.
  if (cbApp->currentIndex() < 0 || !cbAppChange(cbApp->currentIndex())) {
    FormelAufbauen(2);
    return;
  }
  MitGetipptenZeichnen();
  FormelAufbauen(2);
}

void TfrApproxim_Auswahl::sgEnter() {
  MitGetipptenZeichnen();
  FormelAufbauen(2);
}

void TfrApproxim_Auswahl::sbKopierenClick() {
  QGuiApplication::clipboard()->setText(edFormel->text());
  FormelFarbe(edFormel, Qt::red);
  QTimer::singleShot(250, edFormel, [ed = edFormel] { FormelFarbe(ed, Qt::blue); });
}

void TfrApproxim_Auswahl::sbLoschenClick() {
  if (showMessage(QStringLiteral("Auswahl löschen?"), MessageKind::Warning, MessageButtons::YesNo) !=
      MessageAnswer::Yes)
    return;
  AuswahlLoeschen();
  sg->setCells(0, 1, QString());
  sg->setCells(1, 1, QString());
}

void TfrApproxim_Auswahl::sbNeueFktPlusClick() {
  const QString m = plOben->text();
  if (m.isEmpty() || m == kLeer) {
    showMessage(QStringLiteral("Ansatzfunktion auswählen"), MessageKind::Warning);
    return;
  }
  if (!frApproxim) return;
  RadioGroup* liste = frApproxim->RadioGroup1;
  for (int i = 0; i < liste->count(); ++i) {
    if (liste->item(i) == m) {
      showMessage(QStringLiteral("Funktion ist schon vorhanden (Nr.%1)").arg(i + 1), MessageKind::Warning);
      return;
    }
  }
  if (liste->count() < 12) {
    liste->addItem(m);
    frApproxim->lbh->addItem(m);
    frApproxim->AuswahlSetzen(liste->count() - 1);
    liste->update();
    return;
  }
  if (liste->itemIndex() < TfrApproxim::EingebauteAnzahl)
    frApproxim->AuswahlSetzen(TfrApproxim::EingebauteAnzahl);
  const int i = liste->itemIndex();
  const QString frage = QStringLiteral("Funktion \r") + liste->item(i) + QStringLiteral("\r") +
                        QStringLiteral("durch ") + QStringLiteral("\r") + m + QStringLiteral("\r") +
                        QStringLiteral("ersetzen?");
  if (showMessage(frage, MessageKind::Warning, MessageButtons::YesNo) != MessageAnswer::Yes) return;
  liste->setItem(i, m);
  frApproxim->lbh->item(i)->setText(m);
  frApproxim->AuswahlSetzen(i);
  liste->update();
}

void TfrApproxim_Auswahl::cbApproximZeigenClick() {
  if (!frApproxim) return;
  if (!cbApproximZeigen->isChecked()) {
    if (frApproxim->isVisible()) {
      frApproxim->BaukastenVerstecken(true);
      listeVersteckt_ = true;
    }
  } else if (listeVersteckt_) {
    listeVersteckt_ = false;
    frApproxim->BaukastenVerstecken(false);
  }
}

void TfrApproxim_Auswahl::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  Buttonsplatzieren();
}

void TfrApproxim_Auswahl::Buttonsplatzieren() {
  const QPushButton* knoepfe[] = {sbKopieren, sbLoschen, sbNeueFktPlus, sbExit};
  int summe = 0;
  for (const QPushButton* b : knoepfe) summe += b->width();
  int links = (width() - (summe + 3 * 20)) / 2;
  const int oben = (plMenu->height() - sbExit->height()) / 2;
  for (QPushButton* b : {sbKopieren, sbLoschen, sbNeueFktPlus, sbExit}) {
    b->move(links, oben);
    links += b->width() + 20;
  }
}

bool TfrApproxim_Auswahl::eventFilter(QObject* watched, QEvent* event) {
  if (watched == sg && event->type() == QEvent::Resize) {
    sg->setColWidth(1, std::max(sg->width() - sg->colWidth(0) - 15, 40));
    cbApp->setFixedWidth(std::max(sg->width() - 15, 40));
    return false;
  }
  if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
    if (auto* box = qobject_cast<QCheckBox*>(watched);
        box && std::find(boxen_.begin(), boxen_.end(), box) != boxen_.end())
      mausLos_ = event->type() == QEvent::MouseButtonRelease;
    return false;
  }
  if (event->type() == QEvent::KeyPress && isVisible()) {
    const int taste = static_cast<QKeyEvent*>(event)->key();
    auto* w = qobject_cast<QWidget*>(watched);
    if ((taste == Qt::Key_Return || taste == Qt::Key_Enter) && w && (w == sg || sg->isAncestorOf(w))) {
      sgEnter();
      return true;
    }
  }
  return Form::eventFilter(watched, event);
}
