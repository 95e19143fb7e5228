// The main window's tool bar: the side windows come and go beside the main window and the
// tool buttons mirror their visibility; replace and graph mode; the result into the values
// table; the results log; stay on top; the about box; the layout on resize.
#include <QCheckBox>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollArea>
#include <QToolBar>
#include <QToolButton>

#include "calculator/about.h"
#include "calculator/einstell.h"
#include "calculator/einstellungen.h"
#include "calculator/formel.h"
#include "calculator/kolvex.h"
#include "calculator/konstante.h"
#include "calculator/rechn.h"
#include "calculator/rechn_ergebnis.h"
#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "finance/spar_rechner.h"
#include "finance/tilg_rechner.h"
#include "import/diadem_kauswahl.h"
#include "graph/grafik.h"
#include "platform/fenster_lage.h"
#include "platform/line_edit.h"
#include "platform/message_dialog.h"
#include "platform/panel_button.h"
#include "platform/programm_dateien.h"
#include "platform/shell_open.h"
#include "platform/string_grid.h"
#include "platform/text_convert.h"
#include "units/einheiten.h"

namespace {

// The size rules of the layout count the window's frame, 8 pixels a side.
constexpr int FensterRahmen = 16;

QString ergebnisDatei() { return ImProgrammOrdner(QStringLiteral("result.txt")); }

// Window events the tool bar and the layout react to: resizes, the hints that depend on the
// moment, the right button on "Ergebnisse zeigen", and the showing of the main window (the
// side windows exist by then).
class ToolBarBeobachter : public QObject {
 public:
  explicit ToolBarBeobachter(TfrRechn* fenster) : QObject(fenster), f_(fenster) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    const QEvent::Type typ = event->type();
    switch (typ) {
      case QEvent::Resize:
      case QEvent::Move:
      case QEvent::Show:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonDblClick:
      case QEvent::Enter:
      case QEvent::ToolTip:
        break;
      default:
        return false;  // also everything a window in destruction still receives
    }
    if (watched == f_) {
      if (typ == QEvent::Resize) f_->LayoutAnpassen();
      if (typ == QEvent::Show) f_->SeitenfensterVerbinden();
      return false;
    }
    if (watched == f_->plTasten && typ == QEvent::Resize) {
      TastenPlatzieren();
      return false;
    }
    if ((watched == f_->plMenu || watched == f_->ToolBar1) && typ == QEvent::Resize) {
      ToolBarZentrieren();
      return false;
    }
    if (watched == f_->edErgebnis && (typ == QEvent::Resize || typ == QEvent::Move)) {
      lbESCPlatzieren();
      return false;
    }
    if (watched == f_->tbResults &&
        (typ == QEvent::MouseButtonPress || typ == QEvent::MouseButtonDblClick)) {
      if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
        f_->tbResultsRechtsklick();
        return true;
      }
      return false;
    }
    if (typ == QEvent::Enter || typ == QEvent::ToolTip) HinweisSetzen(watched);
    return false;
  }

  void HinweisSetzen(QObject* watched) {
    if (watched == f_->tbWerte) {
      f_->tbWerte->setToolTip(QStringLiteral("Werte\n(") + WerteDateiName() + u')');
    } else if (watched == f_->tbFormel) {
      f_->tbFormel->setToolTip(QStringLiteral("Formel\n(") + FormelDateiName() + u')');
    } else if (watched == f_->tbWert_Einf) {
      QString hinweis = QStringLiteral("Ergebnis in Werte-Tabelle einfügen\n");
      const QString ergebnis = f_->edErgebnis->text();
      QString variable;
      if (frKonstante && frKonstante->sgK)
        variable = frKonstante->sgK->Cells(0, frKonstante->sgK->Row()).trimmed();
      if (ErgebnisIstZahl(ergebnis))
        hinweis += ergebnis + QStringLiteral(" als ") + variable;
      else
        hinweis += variable;
      f_->tbWert_Einf->setToolTip(hinweis);
    } else if (watched == f_->sbErgebnis) {
      f_->sbErgebnisMouseMove();
    }
  }

  // Function and number keys side by side, centred in the keypad area.
  void TastenPlatzieren() {
    const int m = windowsZuschlag();
    const int breite = qMax(f_->width(), f_->minimumWidth()) + FensterRahmen;
    const int links =
        qMax(0, (breite - f_->plZahlen->width() - f_->plFunktionen->width() - 8 - m) / 2);
    const int oben = qMax(0, (f_->plTasten->height() - f_->plFunktionen->height()) / 2);
    f_->plFunktionen->move(links, oben);
    f_->plZahlen->move(f_->plFunktionen->geometry().right() + 2, oben);
  }

  // The spacer in front of the tool bar centres it.
  void ToolBarZentrieren() {
    const int breite = qMax(1, (f_->plMenu->width() - f_->ToolBar1->sizeHint().width()) / 2);
    if (f_->plMenu_L->width() != breite) f_->plMenu_L->setFixedWidth(breite);
  }

  // The label lies over the result field, 75 pixels in.
  void lbESCPlatzieren() {
    const QRect r = f_->edErgebnis->geometry();
    f_->lbESC->setGeometry(r.left() + 75, r.top(), qMax(0, r.width() - 78), r.height());
    f_->lbESC->raise();
  }

  static int windowsZuschlag() { return (frKolvex ? frKolvex->WindowsVersion() : 6) >= 6 ? 9 : 0; }

 private:
  TfrRechn* f_;
};

ToolBarBeobachter* beobachter(TfrRechn* f) {
  for (QObject* kind : f->children())
    if (auto* b = dynamic_cast<ToolBarBeobachter*>(kind)) return b;
  return nullptr;
}

// A side window shown or hidden by its tool button. Shown, it becomes the active window:
// its activation fills and places it (the unit window's table), and window managers that
// keep the focus where it was would leave it empty.
void zeigen(QWidget* fenster, bool an) {
  if (!fenster) return;
  if (an) {
    fenster->show();
    fenster->raise();
    fenster->activateWindow();
  } else {
    fenster->hide();
  }
}

// Connects a window's visibility to a reaction once per window.
template <typename F>
void spiegeln(Form* fenster, TfrRechn* f, F reaktion) {
  if (!fenster || fenster->property("kolvexRechnSpiegel").toBool()) return;
  fenster->setProperty("kolvexRechnSpiegel", true);
  QObject::connect(fenster, &Form::visibilityChanged, f, reaktion);
}

}  // namespace

void TfrRechn::ToolBarVerbinden() {
  auto* b = new ToolBarBeobachter(this);
  installEventFilter(b);
  plTasten->installEventFilter(b);
  plMenu->installEventFilter(b);
  ToolBar1->installEventFilter(b);
  edErgebnis->installEventFilter(b);
  connect(edErgebnis, &QLineEdit::textChanged, this, &TfrRechn::ErgebnisBreiteAnpassen);
  for (QWidget* w : {static_cast<QWidget*>(tbResults), static_cast<QWidget*>(tbWerte),
                     static_cast<QWidget*>(tbFormel), static_cast<QWidget*>(tbWert_Einf),
                     static_cast<QWidget*>(sbErgebnis)})
    w->installEventFilter(b);

  connect(tbFormel, &QToolButton::clicked, this, &TfrRechn::tbFormelClick);
  connect(tbWerte, &QToolButton::clicked, this, &TfrRechn::tbWerteClick);
  connect(tbWert_Einf, &QToolButton::clicked, this, &TfrRechn::tbWert_EinfClick);
  connect(tbGrafik, &QToolButton::clicked, this, &TfrRechn::tbGrafikClick);
  connect(tbDiagramm, &QToolButton::clicked, this, &TfrRechn::tbDiagrammClick);
  connect(tbResults, &QToolButton::clicked, this, &TfrRechn::tbResultsClick);
  connect(tbCut, &QToolButton::clicked, this, &TfrRechn::tbCutClick);
  connect(tbEinstellung, &QToolButton::clicked, this, &TfrRechn::tbEinstellungClick);
  connect(tbInfo, &QToolButton::clicked, this, &TfrRechn::tbInfoClick);
  connect(tbFormStyle, &QToolButton::clicked, this, &TfrRechn::tbFormStyleClick);
  connect(tbEinheiten, &QToolButton::clicked, this, &TfrRechn::tbEinheitenClick);
  connect(plSparR, &PanelButton::clicked, this, [this](Qt::MouseButton knopf) {
    if (knopf == Qt::LeftButton) plSparRClick();
  });
  connect(plTilgR, &PanelButton::clicked, this, [this](Qt::MouseButton knopf) {
    if (knopf == Qt::LeftButton) plTilgRClick();
  });
  tbResults->setToolTip(
      QStringLiteral("Ergebnisse zeigen   (result.txt)\nRechtemaus: Ergebnisse-Datei Löschen"));
}

void TfrRechn::SeitenfensterVerbinden() {
  spiegeln(frFormel, this, [this](bool an) {
    tbFormel->setChecked(an);
    if (frGrafik && frGrafik->tbFormel) frGrafik->tbFormel->setChecked(an);
  });
  spiegeln(frKonstante, this, [this](bool an) { tbWerte->setChecked(an); });
  spiegeln(frEinstell, this, [this](bool an) {
    tbEinstellung->setChecked(an);
    if (frGrafik && frGrafik->tbEinstell) frGrafik->tbEinstell->setChecked(an);
  });
  // However the unit window goes, unit conversion goes with it; replace and graph mode are
  // possible again.
  spiegeln(frEinheiten, this, [this](bool an) {
    tbEinheiten->setChecked(an);
    tbCut->setEnabled(!an);
    if (an)
      tbGrafik->setEnabled(false);
    else
      tbGrafik_Visible();
  });
  // Closing the graph window ends graph mode.
  spiegeln(frGrafik, this, [this](bool an) {
    tbGrafik->setChecked(an);
    tbEinheiten->setEnabled(!an && !tbCut->isChecked());
  });
}

// ---- Side windows ---------------------------------------------------------------------------

void TfrRechn::tbWerteClick() {
  SeitenfensterVerbinden();
  if (!frKonstante) {
    tbWerte->setChecked(false);
    return;
  }
  zeigen(frKonstante, tbWerte->isChecked());
}

void TfrRechn::tbFormelClick() {
  SeitenfensterVerbinden();
  if (!frFormel) {
    tbFormel->setChecked(false);
    return;
  }
  const bool an = tbFormel->isChecked();
  if (frGrafik && frGrafik->tbFormel) frGrafik->tbFormel->setChecked(an);
  zeigen(frFormel, an);
  if (an && frFormel->sg1 && kolvex::FormelZeile > 0 &&
      kolvex::FormelZeile < frFormel->sg1->RowCount())
    frFormel->sg1->setRow(kolvex::FormelZeile);
}

void TfrRechn::tbEinstellungClick() {
  SeitenfensterVerbinden();
  if (!frEinstell) {
    tbEinstellung->setChecked(false);
    return;
  }
  const bool an = tbEinstellung->isChecked();
  if (frGrafik && frGrafik->tbEinstell) frGrafik->tbEinstell->setChecked(an);
  zeigen(frEinstell, an);
}

void TfrRechn::tbEinheitenClick() {
  SeitenfensterVerbinden();
  if (!frEinheiten) {
    tbEinheiten->setChecked(false);
    return;
  }
  const bool an = tbEinheiten->isChecked();
  tbCut->setEnabled(!an);
  if (an)
    tbGrafik->setEnabled(false);
  else
    tbGrafik_Visible();
  zeigen(frEinheiten, an);
}

// ---- Modes ----------------------------------------------------------------------------------

void TfrRechn::tbCutClick() {
  tbEinheiten->setEnabled(!tbCut->isChecked() && !tbGrafik->isChecked());
}

void TfrRechn::tbGrafikClick() {
  SeitenfensterVerbinden();
  // The click has already flipped the button; the checks below decide.
  const bool warAn = !tbGrafik->isChecked();
  tbGrafik->setChecked(warAn);

  // Graph mode and unit conversion exclude each other: the unit window is closed, which
  // also ends unit conversion, so no later result is multiplied by a hidden factor.
  if (tbEinheiten->isChecked() || (frEinheiten && frEinheiten->isVisible())) {
    if (frEinheiten) frEinheiten->close();
    tbEinheiten->setChecked(false);
    tbCut->setEnabled(true);
  }

  const QString formel = ed1->text();
  if (!FormelPruefen(formel)) return;
  const QChar variable = QChar::fromLatin1(kolvex::GrafikVariable);
  const QChar fehlt = frKolvex ? frKolvex->UnbekannteKonstante(formel, variable) : QChar(u' ');
  if (fehlt != u' ') {
    if (frKonstante) {
      frKonstante->show();
      frKonstante->VariableSuchen(fehlt);
    }
    showMessage(QStringLiteral("Kein Wert für ") + fehlt, MessageKind::Warning);
    return;
  }

  const bool an = !warAn;
  tbGrafik->setChecked(an);
  tbEinheiten->setEnabled(!an && !tbCut->isChecked());
  if (an) {
    zeigen(frGrafik, true);
    if (frGrafik) frGrafik->FormelZeichnen(formel);
  } else {
    zeigen(frGrafik, false);
  }
  if (frEinstell) frEinstell->AnsichtAnpassen();
}

void TfrRechn::tbGrafik_Visible() {
  tbGrafik->setEnabled(frKolvex && frKolvex->EnthaeltVariable(ed1->text()));
  tbGrafik->setToolTip(QStringLiteral("Grafik\nVariable = ") +
                       QChar::fromLatin1(kolvex::GrafikVariable));
}

// ---- Result into the values table -------------------------------------------------------------

void TfrRechn::tbWert_EinfClick() {
  if (!frKonstante || !frKonstante->sgK) return;
  StringGrid* sg = frKonstante->sgK;
  const int zeile = sg->Row();
  if (zeile < 1) return;
  // Only a number goes into the table, and without its grouping characters: "1.234,5"
  // would later read as 1,2345 and "1-234" as a subtraction.
  if (!ErgebnisIstZahl(edErgebnis->text())) return;
  const QString wert = ErgebnisOhneTrennzeichen(edErgebnis->text());
  const QString variable = sg->Cells(0, zeile).trimmed().left(1);
  const QString bisher = sg->Cells(1, zeile).remove(u' ');
  if (!bisher.isEmpty() &&
      showMessage(QStringLiteral("Wert ") + variable + QStringLiteral(" = ") + bisher +
                      QStringLiteral(" überschreiben?"),
                  MessageKind::Warning, MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  sg->setCells(1, zeile, wert);
}

// ---- Results log ------------------------------------------------------------------------------

void TfrRechn::tbResultsClick() {
  const QString datei = ergebnisDatei();
  if (frKolvex ? frKolvex->DateiExistiert(datei) : QFile::exists(datei))
    DateiOeffnen(datei);
  else
    showMessage(datei + QStringLiteral(" Datei nicht gefunden!"), MessageKind::Information);
}

void TfrRechn::tbResultsRechtsklick() {
  const QString datei = ergebnisDatei();
  if (!(frKolvex ? frKolvex->DateiExistiert(datei) : QFile::exists(datei))) {
    showMessage(datei + QStringLiteral(" Datei nicht gefunden!"), MessageKind::Information);
    return;
  }
  if (showMessage(QStringLiteral("Ergebnisse-Datei löschen?"), MessageKind::Question,
                  MessageButtons::YesNo) != MessageAnswer::Yes)
    return;
  QFile f(datei);
  if (!f.remove()) showMessage(f.errorString(), MessageKind::Warning);
}

void TfrRechn::DateiOeffnen(const QString& datei) {
  // Without a program for text files nothing would happen at all.
  QString grund;
  if (!shellOpen(datei, &grund))
    showMessage(QStringLiteral("Datei ") + datei +
                    QStringLiteral(" konnte nicht geöffnet werden.\r") + grund,
                MessageKind::Warning);
}

// ---- Window -----------------------------------------------------------------------------------

void TfrRechn::tbInfoClick() {
  if (frAbout) frAbout->ShowModal();
}

void TfrRechn::tbFormStyleClick() { FensterObenHalten(this, tbFormStyle->isChecked()); }

void TfrRechn::tbDiagrammClick() {
  SeitenfensterVerbinden();
  // The side windows close; the data graph is modal and the main window hides meanwhile.
  for (auto [knopf, fenster] : {std::pair<QToolButton*, QWidget*>{tbFormel, frFormel},
                                {tbWerte, frKonstante},
                                {tbEinstellung, frEinstell},
                                {tbEinheiten, frEinheiten}}) {
    knopf->setChecked(false);
    if (fenster) fenster->hide();
  }
  if (frGrafik && frGrafik->tbFormel) frGrafik->tbFormel->setChecked(false);
  if (frGrafik && frGrafik->tbEinstell) frGrafik->tbEinstell->setChecked(false);
  tbCut->setEnabled(true);
  tbGrafik_Visible();
  if (!frGrafikApprox) return;

  TfrGrafikApprox* g = frGrafikApprox;
  g->OpenDialog1.FileName = QStringLiteral("*.dat");
  g->OpenDialog1.FilterIndex = kolvex::DatenFilterIndex;
  g->OpenDialog1.InitialDir = QString::fromStdString(kolvex::DatenPfad);
  if (!g->OpenDialog1Execute()) return;
  hide();
  g->OpenDialog1.FileName = TfrGrafikApprox::DatenDateiName(g->OpenDialog1.FileName);
  if (frDiaDemKAuswahl) frDiaDemKAuswahl->Tag = 0;
  const QString endung = frKolvex ? frKolvex->DateiEndungGross(g->OpenDialog1.FileName) : QString();
  const bool tabelle = endung == QLatin1String(".CSV") || endung == QLatin1String(".TXT");
  const bool auswahl = frEinstell && frEinstell->cbXYDatenKAuswahl->isChecked();
  // Without the channel choice in the program a measurement file goes straight on.
  if (!tabelle && auswahl && frDiaDemKAuswahl) {
    if (frDiaDemKAuswahl->KanaeleWaehlen()) g->ShowModal();
  } else {
    g->ShowModal();
  }
  show();
}

// The calculators are modal; the main window steps aside meanwhile.
void TfrRechn::plSparRClick() {
  if (!frSparRechner) return;
  hide();
  frSparRechner->ShowModal();
  show();
}

void TfrRechn::plTilgRClick() {
  if (!frTilgRechner) return;
  hide();
  frTilgRechner->ShowModal();
  show();
}

// ---- Layout -----------------------------------------------------------------------------------

namespace {

// The entry field is the window's width less 26 (and half the Windows allowance), the result
// field 50 less than that.
constexpr int kErgebnisRand = 26 + 50;

// The least width: the keypad's, or what the result needs to show whole. A result wider than
// the screen shows its start, and the user scrolls the field.
int MindestBreite(const TfrRechn* f) {
  const int m = ToolBarBeobachter::windowsZuschlag();
  const int tasten = qMax(334 + m, f->plFunktionen->width() + f->plZahlen->width() + 12) - FensterRahmen;
  const int ergebnis =
      wholeTextWidth(f->edErgebnis, f->edErgebnis->text()) + kErgebnisRand + m / 2 - FensterRahmen;
  if (ergebnis <= tasten) return tasten;
  return qMax(tasten, qMin(ergebnis, GroessteInnenBreite(f)));
}

}  // namespace

void TfrRechn::ErgebnisBreiteAnpassen() {
  if (!beobachter(this)) return;
  const int mindestBreite = MindestBreite(this);
  if (minimumWidth() == mindestBreite) return;
  const bool waechst = mindestBreite > width();
  // A narrower window grows, inside the free area (Form), and its resize lays it out.
  setMinimumWidth(mindestBreite);
  // A calculation empties the field before it shows its result: the width goes back once the
  // calculation is over and the result is known, not in between.
  if (!waechst && !breiteZurueckVorgemerkt_) {
    breiteZurueckVorgemerkt_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
          breiteZurueckVorgemerkt_ = false;
          BreiteZurueckgeben();
        },
        Qt::QueuedConnection);
  }
}

void TfrRechn::LayoutAnpassen() {
  ToolBarBeobachter* b = beobachter(this);
  if (!b) return;
  ed1->setFocus();
  ed1->setCursorPosition(static_cast<int>(ed1->text().size()));

  // The width is raised, never lowered below the keypad's: a narrower window is refused.
  const int m = ToolBarBeobachter::windowsZuschlag();
  const int mindestBreite = MindestBreite(this);
  if (minimumWidth() != mindestBreite) setMinimumWidth(mindestBreite);
  const int breite = qMax(width(), mindestBreite) + FensterRahmen;
  ed1->setFixedWidth(breite - 26 - m / 2);
  edErgebnis->setFixedWidth(breite - kErgebnisRand - m / 2);
  b->TastenPlatzieren();
  b->ToolBarZentrieren();
  b->lbESCPlatzieren();
}
