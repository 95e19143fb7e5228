// The saved-picture viewer: sizing and fitting, the button panel, loading failures,
// printing, an animated GIF, and its opening from the data graph.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/globals.h"
#include "datagraph/diagramme.h"
#include "datagraph/grafik_approx.h"
#include "gif/extensions.h"
#include "gif/qt/gif_image.h"
#include "imagefile/hips_loader.h"
#include "imagefile/loaders.h"
#include "imagefile/qt/graphic.h"
#include "imagefile/qt/image_io.h"
#include "platform/fenster_lage.h"
#include "platform/print_service.h"
#include "support/fenster_fixture.h"
#include "support/maler.h"

namespace {

class DiagrammeTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    imagefile::registerFormats();
    gif::registerFormats();
    d = frDiagramme;
    ASSERT_NE(d, nullptr);
  }
  void TearDown() override {
    TfrDiagramme::OeffnenDialogTestHook = nullptr;
    PrintService::setTestOutputFile(QString());
    FensterTest::TearDown();
  }

  QString Bild(const QString& name, int w, int h, QColor farbe = QColor(30, 120, 200)) {
    QImage bild(w, h, QImage::Format_RGB32);
    bild.fill(farbe);
    QPainter p(&bild);
    p.fillRect(0, 0, w / 2, h / 2, Qt::yellow);
    p.end();
    imagefile::saveImageFile(bild, Pfad(name));
    return Pfad(name);
  }
  QStringList Meldungen() const {
    QStringList l;
    for (const RecordedMessage& m : meldungen.messages()) l << m.text;
    return l;
  }
  // The warning of a picture file of the working folder that could not be read.
  QString Unlesbar(const QString& datei, const QString& text) const {
    return "Datei " + Pfad(datei) + " kann nicht gelesen werden.\r" + text;
  }

  TfrDiagramme* d = nullptr;
};

}  // namespace

TEST_F(DiagrammeTest, BitmapsSizeTheWindowWithItsLeastSize) {
  d->DiagrammLaden(Bild("klein.bmp", 100, 50));
  EXPECT_EQ(d->size(), QSize(300, 200));
  EXPECT_EQ(d->windowTitle(), "Diagramme   " + Pfad("klein.bmp"));
  EXPECT_EQ(kolvex::DiagrammPfad, QDir(Pfad("")).absolutePath().toStdString() + "/");
  ASSERT_NE(d->Image1->bild(), nullptr);
  EXPECT_EQ(d->Image1->bild()->width(), 100);

  d->DiagrammLaden(Bild("gross.png", 1000, 700));
  EXPECT_EQ(d->size(), QSize(1018, 740));
  // Shown at its own size from the top-left corner, the rest of the window white (a picture
  // that fits the test screen, 800 pixels wide).
  d->DiagrammLaden(Bild("mittel.png", 600, 400));
  EXPECT_EQ(d->size(), QSize(618, 440));
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  const QImage bild = d->Image1->grab().toImage();
  if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR"))
    d->grab().save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("diagramme.png"));
  EXPECT_EQ(bild.pixelColor(10, 300), QColor(30, 120, 200));
  EXPECT_EQ(bild.pixelColor(10, 100), QColor(Qt::yellow));
  EXPECT_EQ(bild.pixelColor(610, 420), QColor(Qt::white));
}

TEST_F(DiagrammeTest, OpensCentredOnTheScreenWithItsPictureAndInsideIt) {
  const QRect frei = d->screen()->availableGeometry();
  // Another window is framed already, as the data graph is when the viewer opens.
  ASSERT_TRUE(ZeigenUndAbwarten(frRechn));
  d->DiagrammLaden(Bild("breit.png", frei.width() - 100, frei.height() - 100));
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  EXPECT_TRUE(frei.contains(d->frameGeometry())) << d->frameGeometry().x() << "," << d->frameGeometry().y();
  if (!FensterManagerPlatziert()) {
    EXPECT_LE((d->frameGeometry().center() - frei.center()).manhattanLength(), 1);
  }

  // Larger than the screen: the window is cut to it, its title bar on the screen.
  d->hide();
  d->DiagrammLaden(Bild("riesig.png", frei.width() + 400, frei.height() + 300));
  d->show();
  if (!FensterManagerPlatziert()) {
    EXPECT_EQ(d->frameGeometry(), frei);
  }

  // Another picture opened while it is shown ("Öffnen") keeps it on the screen too.
  d->DiagrammLaden(Bild("klein.png", 100, 50));
  FensterPlatzieren(d, frei.bottomRight());
  d->DiagrammLaden(Bild("gross.png", frei.width() - 50, frei.height() - 50));
  EXPECT_TRUE(frei.contains(d->frameGeometry()));
}

TEST_F(DiagrammeTest, MetafilesAreFittedToTheWindow) {
  EXPECT_EQ(TfrDiagramme::EinpassGroesse(200, 100, 910, 635), QSize(900, 450));
  EXPECT_EQ(TfrDiagramme::EinpassGroesse(200, 100, 410, 135), QSize(200, 100));
  EXPECT_EQ(TfrDiagramme::EinpassGroesse(200, 100, 5, 5), QSize(10, 5));

  // Loaded before showing: the test screen, 800 pixels wide, would cut the window to it.
  d->DiagrammLaden(Bild("grafik.emf", 200, 100));
  EXPECT_GE(d->width(), 900);
  EXPECT_GE(d->height(), 600);
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  ASSERT_NE(d->imh0->bild(), nullptr);
  EXPECT_TRUE(d->imh0->isHidden());
  d->resize(910, 635);
  ASSERT_EQ(d->size(), QSize(910, 635));
  ASSERT_NE(d->Image1->bild(), nullptr);
  EXPECT_EQ(d->Image1->bild()->width(), 900);
  EXPECT_EQ(d->Image1->bild()->height(), 450);
  // The stretched drawing keeps the picture's parts where they were.
  const QImage gezeigt = d->Image1->bild()->toImage();
  EXPECT_EQ(gezeigt.pixelColor(100, 100), QColor(Qt::yellow));
  EXPECT_EQ(gezeigt.pixelColor(800, 400), QColor(30, 120, 200));
  d->resize(410, 135);
  EXPECT_EQ(d->Image1->bild()->width(), 200);
  EXPECT_EQ(d->Image1->bild()->height(), 100);

  // A bitmap after the metafile: the metafile is gone and a resize fits nothing.
  d->DiagrammLaden(Bild("danach.bmp", 120, 60));
  EXPECT_EQ(d->imh0->bild(), nullptr);
  d->resize(700, 500);
  EXPECT_EQ(d->Image1->bild()->width(), 120);
}

TEST_F(DiagrammeTest, PanelStaysInsideWhenDragged) {
  d->resize(600, 400);
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  d->FormActivate();
  QFrame* p = d->plMenu;
  EXPECT_EQ(p->pos(), QPoint((600 - p->width()) / 2, 0));
  // Drag by a point inside the panel beyond the left and top edge.
  const QPoint griff(5, 5);
  QTest::mousePress(p, Qt::LeftButton, {}, griff);
  QTest::mouseMove(p, griff + QPoint(-400, -300));
  EXPECT_EQ(p->pos(), QPoint(0, 0));
  QTest::mouseRelease(p, Qt::LeftButton, {}, p->mapFrom(d, QPoint(-100, -100)));
  EXPECT_EQ(p->pos(), QPoint(0, 0));
  // ... and beyond the right and bottom edge.
  QTest::mousePress(p, Qt::LeftButton, {}, griff);
  QTest::mouseMove(p, griff + QPoint(2000, 2000));
  EXPECT_EQ(p->pos(), QPoint(600 - p->width(), 400 - p->height()));
  QTest::mouseRelease(p, Qt::LeftButton, {}, griff + QPoint(2000, 2000));
  // Within the window the panel follows the mouse; once released it stays.
  QTest::mousePress(p, Qt::LeftButton, {}, griff);
  QTest::mouseRelease(p, Qt::LeftButton, {}, p->mapFrom(d, QPoint(105, 55)));
  EXPECT_EQ(p->pos(), QPoint(100, 50));
  QTest::mouseMove(p, griff + QPoint(30, 30));
  EXPECT_EQ(p->pos(), QPoint(100, 50));
  EXPECT_EQ(TfrDiagramme::PanelLage(50, 50, 0, 0, QSize(100, 100), QSize(150, 20)), QPoint(0, 50));
}

TEST_F(DiagrammeTest, DamagedOrUnknownFilesShowTheLibraryTextAndKeepThePicture) {
  d->DiagrammLaden(Bild("gut.bmp", 100, 50));
  imagefile::Graphic* vorher = d->Image1->bild();
  QFile kaputt(Pfad("kaputt.png"));
  ASSERT_TRUE(kaputt.open(QIODevice::WriteOnly));
  kaputt.write("\x89PNG\r\n\x1a\nnichts davon ist ein Bild");
  kaputt.close();
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  // Through a real click: the library's text as a warning, as the application shows errors.
  TfrDiagramme::OeffnenDialogTestHook = [this] { return Pfad("kaputt.png"); };
  QTest::mouseClick(d->sbLaden, Qt::LeftButton);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages().front().kind, MessageKind::Warning);
  EXPECT_EQ(Meldungen(), QStringList{Unlesbar("kaputt.png", "Read less than expected")});
  EXPECT_EQ(d->Image1->bild(), vorher);
  // The caption has changed before the error showed.
  EXPECT_EQ(d->windowTitle(), "Diagramme   " + Pfad("kaputt.png"));

  meldungen.clear();
  DateiSchreiben("text.xyz", {"x"});
  TfrDiagramme::OeffnenDialogTestHook = [this] { return Pfad("text.xyz"); };
  QTest::mouseClick(d->sbLaden, Qt::LeftButton);
  EXPECT_EQ(Meldungen(), QStringList{Unlesbar("text.xyz", "Unsupported file format: XYZ")});
  EXPECT_EQ(d->Image1->bild(), vorher);

  // Every picture the viewer cannot read names its file before the library's own text.
  struct Fall {
    const char* datei;
    QByteArray inhalt;
    const char* text;
  };
  const QByteArray halb = [&] {
    Bild("ganz.png", 200, 100);
    QFile f(Pfad("ganz.png"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    return b.left(b.size() / 2);
  }();
  for (const Fall& fall : {Fall{"halb.png", halb, "Read less than expected"},
                           Fall{"text.jpg", "kein jpeg, nur Text\n", "Not a JPEG file: starts with 0x6b 0x65"},
                           Fall{"text.gif", "kein gif\n", "Invalid GIF signature"},
                           Fall{"leer.bmp", "", "Unsupported file format"}}) {
    QFile f(Pfad(fall.datei));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(fall.inhalt);
    f.close();
    meldungen.clear();
    TfrDiagramme::OeffnenDialogTestHook = [&] { return Pfad(fall.datei); };
    QTest::mouseClick(d->sbLaden, Qt::LeftButton);
    EXPECT_EQ(Meldungen(), QStringList{Unlesbar(fall.datei, fall.text)}) << fall.datei;
    EXPECT_EQ(d->Image1->bild(), vorher) << fall.datei;
  }
  // A file gone by the time it is opened: the library's text names it already, the
  // message too.
  meldungen.clear();
  TfrDiagramme::OeffnenDialogTestHook = [this] { return Pfad("weg.png"); };
  QTest::mouseClick(d->sbLaden, Qt::LeftButton);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(Meldungen()[0].startsWith(Unlesbar("weg.png", "Error opening \"" + Pfad("weg.png") + "\" - ")))
      << Meldungen()[0].toStdString();
  EXPECT_EQ(d->Image1->bild(), vorher);

  // Cancelled: nothing changes.
  meldungen.clear();
  kolvex::DiagrammPfad = "/bleibt/";
  TfrDiagramme::OeffnenDialogTestHook = [] { return QString(); };
  QTest::mouseClick(d->sbLaden, Qt::LeftButton);
  EXPECT_EQ(kolvex::DiagrammPfad, "/bleibt/");
  EXPECT_TRUE(meldungen.messages().empty());
}

// A question of the picture library that the user cancels (the HIPS plane) ends the load
// without a message; the picture shown stays.
TEST_F(DiagrammeTest, CancelledPlaneQuestionShowsNothing) {
  d->DiagrammLaden(Bild("vorher.bmp", 100, 50));
  imagefile::Graphic* vorher = d->Image1->bild();
  const std::string kopf = "orig\nseq\n3\ndate\n2\n2\n8\na\nb\nc\nd\n";
  QByteArray hips(kopf.data(), static_cast<qsizetype>(kopf.size()));
  for (int i = 0; i < 12; ++i) hips.append(static_cast<char>(i));
  QFile datei(Pfad("ebenen.hip"));
  ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
  datei.write(hips);
  datei.close();
  const auto alteFrage = imagefile::hipsLoader().question;
  imagefile::progressHandler() = [](int) {};
  int gefragt = 0;
  imagefile::hipsLoader().question = [&](const std::string&, const std::string&, std::string&) {
    ++gefragt;
    return false;
  };
  EXPECT_FALSE(d->DiagrammLadenMitMeldung(Pfad("ebenen.hip")));
  imagefile::hipsLoader().question = alteFrage;
  imagefile::progressHandler() = nullptr;
  EXPECT_EQ(gefragt, 1);
  EXPECT_TRUE(meldungen.messages().empty()) << Meldungen().join(" | ").toStdString();
  EXPECT_EQ(d->Image1->bild(), vorher);
}

TEST_F(DiagrammeTest, MetafileOfVectorsOnlyIsReportedAndThePictureKept) {
  d->DiagrammLaden(Bild("vorher.bmp", 100, 50));
  imagefile::Graphic* vorher = d->Image1->bild();
  const QSize groesse = d->size();
  // An EMF of 100 x 50 pixels whose only drawing is a rectangle.
  QByteArray emf;
  auto put32 = [&](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) emf.append(static_cast<char>(v >> (8 * i)));
  };
  for (std::uint32_t v : {1u, 88u, 0u, 0u, 99u, 49u, 0u, 0u, 2646u, 1323u, 0x464D4520u, 0x10000u, 0u, 3u, 1u,
                          0u, 0u, 0u, 960u, 540u, 254u, 143u})
    put32(v);
  for (std::uint32_t v : {43u, 24u, 10u, 10u, 60u, 40u, 14u, 20u, 0u, 0u, 0u}) put32(v);
  QFile datei(Pfad("vektor.emf"));
  ASSERT_TRUE(datei.open(QIODevice::WriteOnly));
  datei.write(emf);
  datei.close();

  ASSERT_TRUE(ZeigenUndAbwarten(d));
  TfrDiagramme::OeffnenDialogTestHook = [this] { return Pfad("vektor.emf"); };
  QTest::mouseClick(d->sbLaden, Qt::LeftButton);
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages().front().kind, MessageKind::Warning);
  EXPECT_EQ(meldungen.messages().front().text, Unlesbar("vektor.emf", QString::fromUtf8(kKeinBildInMetadatei)));
  EXPECT_EQ(d->Image1->bild(), vorher);
  EXPECT_EQ(d->imh0->bild(), nullptr);
  EXPECT_EQ(d->size(), groesse);
}

TEST_F(DiagrammeTest, PrintedPageHasNoButtonPanel) {
  d->DiagrammLaden(Bild("druck.png", 400, 300));
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  Maler maler;
  d->plMenu->installEventFilter(&maler);
  Maler fenster;
  d->Image1->installEventFilter(&fenster);
  PrintService::setTestOutputFile(Pfad("seite.pdf"));
  d->sbPrintClick();
  EXPECT_EQ(maler.anzahl, 0);
  EXPECT_GT(fenster.anzahl, 0);  // the picture was drawn onto the page
  EXPECT_EQ(PrintService::lastOrientation(), QPageLayout::Landscape);
  EXPECT_GT(QFile(Pfad("seite.pdf")).size(), 1000);
  EXPECT_FALSE(d->plMenu->isHidden());
}

TEST_F(DiagrammeTest, AnimatedGifPlaysAndStopsWhenTheViewerCloses) {
  {
    gif::GifImage animation;
    for (QColor farbe : {QColor(Qt::red), QColor(Qt::blue)}) {
      QImage bild(60, 40, QImage::Format_RGB32);
      bild.fill(farbe);
      const int i = animation.add(bild);
      gif::GifSubImage& frame = animation.file().images().image(i);
      if (i == 0) {
        auto schleife = std::make_unique<gif::GifAppExtNSLoop>(&frame);
        schleife->setLoops(0);  // endless
        frame.extensions().add(std::move(schleife));
      }
      auto steuerung = std::make_unique<gif::GifGraphicControlExtension>(&frame);
      steuerung->setDelay(2);
      frame.extensions().add(std::move(steuerung));
    }
    animation.saveToFile(Pfad("lauf.gif"));
  }
  d->DiagrammLaden(Pfad("lauf.gif"));
  auto* bild = dynamic_cast<gif::GifImage*>(d->Image1->bild());
  ASSERT_NE(bild, nullptr);
  Maler maler;
  d->Image1->installEventFilter(&maler);
  // Frames of 36 ms repaint the view again and again: it is painted after the second frame.
  int bilder = 0, gemaltBeimZweiten = 0;
  bild->painterEvents.afterFrame = [&](gif::GifPainter&) {
    if (++bilder == 2) gemaltBeimZweiten = maler.anzahl;
  };
  ASSERT_TRUE(ZeigenUndAbwarten(d));
  EXPECT_TRUE(Warten([&] { return bilder >= 2 && maler.anzahl > gemaltBeimZweiten; }));
  EXPECT_GE(bild->runningPainters(), 1);
  d->sbExit->click();
  EXPECT_TRUE(d->isHidden());
  EXPECT_EQ(bild->runningPainters(), 0);

  // Loading another picture ends the painter as well.
  d->show();
  EXPECT_TRUE(Warten([&] { return bild->runningPainters() >= 1; }));
  d->DiagrammLaden(Bild("still.bmp", 30, 30));
  EXPECT_EQ(dynamic_cast<gif::GifImage*>(d->Image1->bild()), nullptr);
}

// The data graph opens the viewer modally, hidden meanwhile, and comes back, even while it
// runs modally itself.
TEST_F(DiagrammeTest, PictureButtonOfTheModalDataGraphOpensTheViewer) {
  TfrGrafikApprox* g = frGrafikApprox;
  const QString name = Bild("gespeichert.png", 200, 120);
  TfrDiagramme::OeffnenDialogTestHook = [&] { return name; };
  bool grafikVersteckt = false, betrachterModal = false, grafikWiederDa = false;
  QTimer::singleShot(0, [&] {
    WennDann([&] { return d->isModalRunning() && d->isVisible(); }, [&] {
      grafikVersteckt = g->isHidden();
      betrachterModal = d->isModalRunning() && d->isVisible();
      d->sbExit->click();
    });
    g->tbDiagramme->click();
    // Checked once the click has returned to the data graph's own modal loop.
    QTimer::singleShot(0, [&] {
      grafikWiederDa = g->isVisible() && g->isModalRunning();
      g->close();
    });
  });
  g->ShowModal();
  EXPECT_TRUE(grafikVersteckt);
  EXPECT_TRUE(betrachterModal);
  EXPECT_TRUE(grafikWiederDa);
  EXPECT_EQ(d->windowTitle(), "Diagramme   " + name);
  EXPECT_TRUE(meldungen.messages().empty());
}

// A picture that cannot be loaded does not open the viewer from the data graph.
TEST_F(DiagrammeTest, DataGraphKeepsItsWindowWhenThePictureFailsToLoad) {
  TfrGrafikApprox* g = frGrafikApprox;
  DateiSchreiben("leer.gif", {});
  ASSERT_TRUE(ZeigenUndAbwarten(g));
  TfrDiagramme::OeffnenDialogTestHook = [this] { return Pfad("leer.gif"); };
  g->tbDiagramme->click();
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_EQ(meldungen.messages()[0].text, Unlesbar("leer.gif", "Invalid GIF signature"));
  EXPECT_TRUE(g->isVisible());
  EXPECT_FALSE(d->isVisible());
}
