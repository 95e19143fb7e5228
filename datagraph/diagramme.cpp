// The saved-picture viewer.
#include "datagraph/diagramme.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "gif/qt/gif_image.h"
#include "imagefile/errors.h"
#include "imagefile/qt/bitmap_image.h"
#include "imagefile/qt/format_graphics.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/linear_graphic.h"
#include "platform/fenster_lage.h"
#include "platform/message_dialog.h"
#include "platform/print_service.h"
#include "platform/text_file.h"

TfrDiagramme* frDiagramme = nullptr;

const char* const kKeinBildInMetadatei =
    "Die Datei enthält kein Bild, das hier angezeigt werden kann: von Metadateien zeigt der "
    "Betrachter nur die Bitmaps, keine Vektorzeichnungen.";

// ---------------------------------------------------------------------------------------------
// Picture view

BildAnsicht::BildAnsicht(QWidget* parent) : QWidget(parent) {}

BildAnsicht::~BildAnsicht() { AnimationAnhalten(); }

void BildAnsicht::AnimationAnhalten() {
  if (auto* gif = dynamic_cast<gif::GifImage*>(bild_.get())) gif->stopDrawAll();
}

void BildAnsicht::setBild(std::unique_ptr<imagefile::Graphic> bild) {
  AnimationAnhalten();
  bild_ = std::move(bild);
  if (bild_) bild_->setOnChange([this](imagefile::Graphic&) { update(); });
  update();
}

void BildAnsicht::paintEvent(QPaintEvent*) {
  if (!bild_ || bild_->empty()) return;
  QPainter maler(this);
  bild_->draw(maler, QRect(0, 0, bild_->width(), bild_->height()));
}

// ---------------------------------------------------------------------------------------------
// Viewer window

TfrDiagramme::TfrDiagramme(QWidget* parent) : Form(parent) { LayoutErzeugen(); }

TfrDiagramme::~TfrDiagramme() {
  if (frDiagramme == this) frDiagramme = nullptr;
}

void TfrDiagramme::FormCreate() {
  // Image1 fills the window.
  Image1->setGeometry(rect());
}

// Centred on the screen at every showing, with the size of the picture it shows now.
void TfrDiagramme::FormShow() { FensterZentrieren(this); }

void TfrDiagramme::FormActivate() { PanelPlatzieren(); }

void TfrDiagramme::FormClose(bool& accept) {
  (void)accept;
  Image1->AnimationAnhalten();
}

void TfrDiagramme::hideEvent(QHideEvent* event) {
  // Hidden by any way: no painter keeps running for a window nobody sees.
  Image1->AnimationAnhalten();
  Form::hideEvent(event);
}

void TfrDiagramme::PanelPlatzieren() {
  plMenu->move((width() - plMenu->width()) / 2, 0);
  plMenu->raise();
}

void TfrDiagramme::resizeEvent(QResizeEvent* event) {
  Form::resizeEvent(event);
  Image1->setGeometry(rect());
  PanelPlatzieren();
  BildEinpassen();
}

void TfrDiagramme::DiagrammLaden(const QString& name) {
  QString ordner = QFileInfo(name).absolutePath();
  if (!ordner.endsWith(QLatin1Char('/'))) ordner += QLatin1Char('/');
  kolvex::DiagrammPfad = ordner.toStdString();
  setWindowTitle(QStringLiteral("Diagramme   ") + name);
  const QString endung = imagefile::fileExtension(name);
  // Loaded into a new picture first: a damaged file leaves the one shown as it was.
  std::unique_ptr<imagefile::Graphic> bild = imagefile::createGraphicFor(name);
  bild->loadFromFile(name);
  if (endung == QLatin1String("WMF") || endung == QLatin1String("EMF")) {
    // The player draws only the bitmaps of a metafile: a drawing of vectors alone would show
    // as a white window without a word.
    const auto* meta = dynamic_cast<const imagefile::MetafileGraphic*>(bild.get());
    if (meta && !meta->metafile().hasBitmap()) throw std::runtime_error(kKeinBildInMetadatei);
    Image1->setBild(nullptr);
    imh0->setBild(std::move(bild));
    resize(std::max(width(), 900), std::max(height(), 600));
    BildEinpassen();
  } else {
    imh0->setBild(nullptr);
    const int w = bild->width();
    const int h = bild->height();
    Image1->setBild(std::move(bild));
    resize(std::max(w + 18, 300), std::max(h + 40, 200));
  }
  // Loaded while shown ("Öffnen"): the larger window stays on the screen.
  if (isVisible()) FensterImBildHalten(this);
}

QSize TfrDiagramme::EinpassGroesse(int mw, int mh, int fw, int fh) {
  int w = std::max(fw - 10, 10);
  int h = std::max(fh - 35, 10);
  // Rounding halves to even, as everywhere in the program.
  const int hBreite = static_cast<int>(std::nearbyint(static_cast<double>(mh) / mw * w));
  if (h < hBreite)
    w = static_cast<int>(std::nearbyint(static_cast<double>(mw) / mh * h));
  else
    h = hBreite;
  return QSize(w, h);
}

void TfrDiagramme::BildEinpassen() {
  imagefile::Graphic* meta = imh0->bild();
  if (!meta || meta->width() <= 0 || meta->height() <= 0) return;
  const QSize groesse = EinpassGroesse(meta->width(), meta->height(), width(), height());
  QImage bild(groesse, QImage::Format_RGB32);
  bild.fill(Qt::white);
  {
    QPainter maler(&bild);
    meta->draw(maler, QRect(QPoint(0, 0), groesse));
  }
  auto bitmap = std::make_unique<imagefile::LinearGraphic>();
  imagefile::imageToBitmap(bild, bitmap->bitmap());
  Image1->setBild(std::move(bitmap));
}

QPoint TfrDiagramme::PanelLage(int x, int y, int ox, int oy, QSize bereich, QSize panel) {
  const int links = std::max(std::min(x - ox, bereich.width() - panel.width()), 0);
  const int oben = std::max(std::min(y - oy, bereich.height() - panel.height()), 0);
  return QPoint(links, oben);
}

bool TfrDiagramme::eventFilter(QObject* watched, QEvent* event) {
  if (watched != plMenu) return Form::eventFilter(watched, event);
  const QEvent::Type typ = event->type();
  if (typ != QEvent::MouseButtonPress && typ != QEvent::MouseMove &&
      typ != QEvent::MouseButtonRelease)
    return Form::eventFilter(watched, event);
  auto* maus = static_cast<QMouseEvent*>(event);
  const QPoint imPanel = maus->position().toPoint();
  if (typ == QEvent::MouseButtonPress) {
    // The panel keeps the mouse until the release (Qt's implicit grab).
    if (maus->button() != Qt::LeftButton) return false;
    ziehen_ = true;
    zugX_ = imPanel.x();
    zugY_ = imPanel.y();
    return true;
  }
  if (!ziehen_) return false;
  const QPoint imFenster = plMenu->mapTo(this, imPanel);
  plMenu->move(PanelLage(imFenster.x(), imFenster.y(), zugX_, zugY_, Image1->size(), plMenu->size()));
  if (typ == QEvent::MouseButtonRelease) ziehen_ = false;
  return true;
}

// The same picture types as the data graph saves.
QStringList TfrDiagramme::BildFilter() { return TfrGrafikApprox::BildFilter(); }

QString TfrDiagramme::OpenPictureDialog1Execute() {
  if (OeffnenDialogTestHook) return OeffnenDialogTestHook();
  QFileDialog dialog(this, QStringLiteral("Bild öffnen"));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilters(BildFilter());
  const QString ordner = QString::fromStdString(kolvex::DiagrammPfad);
  if (!ordner.isEmpty() && QFileInfo(ordner).isDir()) dialog.setDirectory(ordner);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

void TfrDiagramme::sbLadenClick() {
  const QString name = OpenPictureDialog1Execute();
  if (!name.isEmpty()) DiagrammLadenMitMeldung(name);
}

bool BildLadenMitMeldung(const QString& name, const std::function<void()>& laden) {
  try {
    laden();
    return true;
  } catch (const imagefile::SilentAbort&) {
  } catch (const std::exception& e) {
    showMessage(readFailedText(name, QString::fromUtf8(e.what())), MessageKind::Warning);
  }
  return false;
}

bool TfrDiagramme::DiagrammLadenMitMeldung(const QString& name) {
  return BildLadenMitMeldung(name, [&] { DiagrammLaden(name); });
}

void TfrDiagramme::sbPrintClick() {
  plMenu->hide();
  PrintService::printWidget(this, QPageLayout::Landscape, 0, this);
  plMenu->show();
}

void TfrDiagramme::sbExitClick() { close(); }
