// Data graph: the picture of the chart (and title block) for printing and saving, the save
// dialog, and the button that opens saved pictures in the viewer.
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QToolButton>

#include "core/globals.h"
#include "datagraph/diagramme.h"
#include "datagraph/grafik_approx.h"
#include "gif/qt/gif_export.h"
#include "graph/grafik_icons.h"
#include "imagefile/errors.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/image_io.h"
#include "platform/file_replace.h"
#include "platform/message_dialog.h"
#include "platform/wait_cursor.h"
#include "platform/print_service.h"

namespace {

// Hands the mouse events of one button to a function (true = swallowed).
class KnopfFilter : public QObject {
 public:
  KnopfFilter(QObject* parent, std::function<bool(QEvent*)> tun)
      : QObject(parent), tun_(std::move(tun)) {}

 protected:
  bool eventFilter(QObject*, QEvent* event) override { return tun_(event); }

 private:
  std::function<bool(QEvent*)> tun_;
};

QString Ordner(const QString& name) {
  QString ordner = QFileInfo(name).absolutePath();
  if (!ordner.endsWith(QLatin1Char('/'))) ordner += QLatin1Char('/');
  return ordner;
}

// The system's reason at the end of a file error of the libraries ("... - reason").
QString Grund(const QString& text) {
  const qsizetype p = text.lastIndexOf(QLatin1String(" - "));
  return p < 0 ? text : text.mid(p + 3);
}

void SpeicherFehler(const QString& name, const QString& grund) {
  showMessage(QStringLiteral("Das Bild kann nicht gespeichert werden:\r") + name +
                  QStringLiteral("\r") + grund,
              MessageKind::Warning);
}

}  // namespace

void TfrGrafikApprox::AusgabeErzeugen() {
  using GrafikSymbol::Symbol;
  auto knopf = [this](const char* name, const QString& hinweis, const QIcon& symbol) {
    auto* tb = new QToolButton(plChart);
    tb->setObjectName(QString::fromLatin1(name));
    tb->setToolTip(hinweis);
    tb->setAutoRaise(true);
    tb->setFocusPolicy(Qt::NoFocus);
    tb->setIcon(symbol);
    tb->setIconSize(QSize(20, 20));
    return tb;
  };
  tbPrint = knopf("tbPrint", QStringLiteral("Drucken Diagramm"), GrafikSymbol::icon(Symbol::Drucken));
  tbDiagramme = knopf("tbDiagramme", QStringLiteral("Bild öffnen"), GrafikSymbol::icon(Symbol::Bild));
  // After "Werte speichern", before the exit button's group.
  QAction* vor = nullptr;
  const QList<QAction*> aktionen = ToolBar1->actions();
  for (qsizetype i = 0; i < aktionen.size(); ++i) {
    if (ToolBar1->widgetForAction(aktionen[i]) == tbSpeichern) {
      vor = i + 1 < aktionen.size() ? aktionen[i + 1] : nullptr;
      break;
    }
  }
  ToolBar1->insertWidget(vor, tbPrint);
  ToolBar1->insertWidget(vor, tbDiagramme);

  connect(tbPrint, &QToolButton::clicked, this, &TfrGrafikApprox::tbPrintClick);
  connect(tbDiagramme, &QToolButton::clicked, this, &TfrGrafikApprox::tbDiagrammeClick);
  tbDiagramme->installEventFilter(new KnopfFilter(tbDiagramme, [this](QEvent* event) {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
          tbDiagrammeRechtsDruck();
          return true;
        }
        return false;
      case QEvent::Enter:
      case QEvent::MouseMove:
        tbDiagramme->setToolTip(QStringLiteral("Bild öffnen\nRechtemaus: Speichern"));
        return false;
      default:
        return false;
    }
  }));
}

QImage TfrGrafikApprox::DiagrammBild() {
  if (tbInterpolation->isChecked()) ApproximationZeichnen();
  // No focus frame or text cursor in the picture.
  if (QWidget* fokus = focusWidget()) fokus->clearFocus();
  TitelZeilenVonVorn();
  Chart1->replotNow();
  const int w = Chart1->width();
  const int h = Chart1->height();
  const bool titel = tbTitel->isChecked();
  const int extra = titel ? plUnten->height() + 2 : 0;
  QImage bild(w + 20, h + 40 + extra, QImage::Format_RGB32);
  bild.fill(Qt::white);
  QPainter maler(&bild);
  Chart1->render(&maler, QPoint(20, 40));
  if (titel) plUnten->render(&maler, QPoint(20, 40 + h + 2));
  maler.end();
  return bild;
}

bool TfrGrafikApprox::DiagrammAusgeben(QChar modus) {
  Druckbild = DiagrammBild();
  if (modus == QLatin1Char('P')) {
    QString fehler;
    const bool gedruckt =
        PrintService::printImage(Druckbild, QPageLayout::Landscape, 0, this, &fehler);
    if (!gedruckt && !fehler.isEmpty()) showMessage(fehler, MessageKind::Warning);
    return gedruckt;
  }
  if (modus != QLatin1Char('S')) return false;
  const QString name = SavePictureDialog1.FileName;
  try {
    if (imagefile::fileExtension(name) == QLatin1String("GIF")) {
      // Hourglass while the colours are reduced and the file written, also on a failure.
      const WaitCursor sanduhr;
      gif::saveSingleFrameGif(Druckbild, name);
      return true;
    }
    const QImage bild = Druckbild.convertToFormat(QImage::Format_RGB888);
    const ReplaceResult ergebnis =
        replaceFileVia(name, [&](int datei) { imagefile::saveImageFile(bild, name, datei); });
    if (!ergebnis.ok) {
      SpeicherFehler(name, ergebnis.reason);
      return false;
    }
    return true;
  } catch (const imagefile::InOutError& e) {
    SpeicherFehler(name, Grund(QString::fromUtf8(e.what())));
  } catch (const std::exception& e) {
    // The libraries' own texts ("Unsupported file format: GIFX") as they are, under the name
    // of the file they are about.
    SpeicherFehler(name, QString::fromUtf8(e.what()));
  }
  return false;
}

void TfrGrafikApprox::tbPrintClick() { DiagrammAusgeben(QLatin1Char('P')); }

QStringList TfrGrafikApprox::BildFilter() {
  return {
      QStringLiteral("Alle Dateien (*.bmp *.gif *.jpg *.jpeg *.png *.pcx *.emf *.wmf)"),
      QStringLiteral("Bitmaps (*.bmp)"),
      QStringLiteral("GIF Image (*.gif)"),
      QStringLiteral("JPG Bilddatei (*.jpg)"),
      QStringLiteral("JPEG Bilddatei (*.jpeg)"),
      QStringLiteral("PNG Bilddatei (*.png)"),
      QStringLiteral("PCX Bilddatei (*.pcx)"),
      QStringLiteral("WMF Datei (*.wmf)"),
      QStringLiteral("EMF Datei (*.emf)"),
  };
}

QString TfrGrafikApprox::BildStandardEndung(const QString& filter) {
  const qsizetype auf = filter.indexOf(QLatin1Char('('));
  const qsizetype zu = filter.indexOf(QLatin1Char(')'), auf);
  if (auf < 0 || zu < 0) return QStringLiteral("jpg");
  const QStringList muster = filter.mid(auf + 1, zu - auf - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  // A filter of one kind gives its own; the filter of all kinds keeps "jpg".
  if (muster.size() == 1 && muster[0].startsWith(QLatin1String("*."))) return muster[0].mid(2);
  return QStringLiteral("jpg");
}

bool TfrGrafikApprox::SavePictureDialog1Execute() {
  SavePictureDialog1.FileName.clear();
  SavePictureDialog1.InitialDir = QString::fromStdString(kolvex::DiagrammPfad);
  QFileDialog dialog(this, QStringLiteral("Bild speichern"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QStringList filter = BildFilter();
  dialog.setNameFilters(filter);
  const int index = std::clamp(SavePictureDialog1.FilterIndex, 1, static_cast<int>(filter.size()));
  dialog.selectNameFilter(filter[index - 1]);
  dialog.setDefaultSuffix(BildStandardEndung(filter[index - 1]));
  if (!SavePictureDialog1.InitialDir.isEmpty() && QFileInfo(SavePictureDialog1.InitialDir).isDir())
    dialog.setDirectory(SavePictureDialog1.InitialDir);
  connect(&dialog, &QFileDialog::filterSelected, &dialog,
          [&dialog](const QString& f) { dialog.setDefaultSuffix(BildStandardEndung(f)); });
  QString datei;
  if (BildSpeichernDialogTestHook) {
    datei = BildSpeichernDialogTestHook(dialog);
  } else if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
    datei = dialog.selectedFiles().constFirst();
  }
  if (datei.isEmpty()) return false;
  SavePictureDialog1.FileName = datei;
  SavePictureDialog1.FilterIndex =
      std::max(1, static_cast<int>(filter.indexOf(dialog.selectedNameFilter())) + 1);
  return true;
}

void TfrGrafikApprox::tbDiagrammeRechtsDruck() {
  if (!SavePictureDialog1Execute()) return;
  kolvex::DiagrammPfad = Ordner(SavePictureDialog1.FileName).toStdString();
  DiagrammAusgeben(QLatin1Char('S'));
}

void TfrGrafikApprox::tbDiagrammeClick() {
  if (!frDiagramme) return;
  const QString name = frDiagramme->OpenPictureDialog1Execute();
  if (!name.isEmpty() && frDiagramme->DiagrammLadenMitMeldung(name)) {
    hide();
    frDiagramme->ShowModal();
    wiederZeigen_ = true;
    show();
    wiederZeigen_ = false;
  }
  if (tbInterpolation->isChecked()) ApproximationZeichnen();
}
