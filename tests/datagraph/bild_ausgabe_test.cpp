// The data graph's picture: capture geometry, printing, saving by extension, the save
// dialog and the failure cases of saving.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QRegularExpression>
#include <QTest>
#include <QFrame>
#include <QToolButton>

#include "core/globals.h"
#include "datagraph/grafik_approx.h"
#include "gif/gif_file.h"
#include "gif/sub_image.h"
#include "imagefile/qt/image_io.h"
#include "platform/print_service.h"
#include "support/fenster_fixture.h"

namespace {

class BildAusgabeTest : public FensterTest {
 protected:
  void SetUp() override {
    FensterTest::SetUp();
    g = frGrafikApprox;
    DateiSchreiben("daten.csv", {"Zeit;Weg;Kraft", "0;0;1", "1;2,5;3", "2;5;4,5", "3;4;2"});
    g->OpenDialog1.FileName = Pfad("daten.csv");
    g->resize(900, 640);
    ASSERT_TRUE(ZeigenUndAbwarten(g));
    g->Aktivieren();
    g->cbXKanal->setCurrentIndex(1);
    g->cbYKanal->setCurrentIndex(2);
    g->sbGrafikClick();
    ASSERT_TRUE(LageAbwarten(g));  // laid out for the graph page
  }
  void TearDown() override {
    TfrGrafikApprox::BildSpeichernDialogTestHook = nullptr;
    PrintService::setTestOutputFile(QString());
    FensterTest::TearDown();
  }

  // Saves the picture under name as the dialog would; true when it was saved.
  bool Speichern(const QString& name) {
    g->SavePictureDialog1.FileName = Pfad(name);
    return g->DiagrammAusgeben(QLatin1Char('S'));
  }
  QByteArray Bytes(const QString& name) const {
    QFile f(Pfad(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  // Every file of the working folder, so that a left-over temporary file shows.
  QStringList Dateien() const {
    return QDir(Pfad("")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
  }
  QStringList Meldungen() const {
    QStringList l;
    for (const RecordedMessage& m : meldungen.messages()) l << m.text;
    return l;
  }

  TfrGrafikApprox* g = nullptr;
};

}  // namespace

TEST_F(BildAusgabeTest, CaptureHasTheChartAt20And40AndTheTitleBlockBelowIt) {
  ASSERT_TRUE(g->tbTitel->isChecked());
  const int w = g->Chart1->width();
  const int h = g->Chart1->height();
  const int titel = g->plUnten->height();
  ASSERT_GT(titel, 0);
  QImage mit = g->DiagrammBild();
  if (!qEnvironmentVariableIsEmpty("KOLVEX_GRAB_DIR"))
    mit.save(QDir(qEnvironmentVariable("KOLVEX_GRAB_DIR")).filePath("datagraph_aufnahme.png"));
  EXPECT_EQ(mit.size(), QSize(w + 20, h + 40 + titel + 2));
  // The margins are white; the chart's own picture starts at (20, 40).
  const QImage chart = g->Chart1->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < mit.height(); y += 7) EXPECT_EQ(mit.pixel(5, y), qRgb(255, 255, 255));
  for (int x = 0; x < mit.width(); x += 7) EXPECT_EQ(mit.pixel(x, 39), qRgb(255, 255, 255));
  int gleich = 0, verschieden = 0;
  for (int y = 0; y < h; y += 5)
    for (int x = 0; x < w; x += 5) (mit.pixel(x + 20, y + 40) == chart.pixel(x, y) ? gleich : verschieden)++;
  EXPECT_GT(gleich, 20 * verschieden);
  // Something of the title block (its frame line, the curve list) below the chart.
  const QImage block = g->plUnten->grab().toImage().convertToFormat(QImage::Format_RGB32);
  int blockGleich = 0, blockVerschieden = 0;
  for (int y = 0; y < titel; y += 3)
    for (int x = 0; x < std::min(w, block.width()); x += 3)
      (mit.pixel(x + 20, y + 40 + h + 2) == block.pixel(x, y) ? blockGleich : blockVerschieden)++;
  EXPECT_GT(blockGleich, 20 * blockVerschieden);

  // Without the title block the picture ends below the chart.
  g->tbTitel->click();
  ASSERT_FALSE(g->tbTitel->isChecked());
  ASSERT_TRUE(LageAbwarten(g));
  const QImage ohne = g->DiagrammBild();
  EXPECT_EQ(ohne.size(), QSize(g->Chart1->width() + 20, g->Chart1->height() + 40));
}

TEST_F(BildAusgabeTest, PrintingGivesOneLandscapePage) {
  const QString pdf = Pfad("druck.pdf");
  PrintService::setTestOutputFile(pdf);
  g->tbPrint->click();
  EXPECT_EQ(PrintService::lastOrientation(), QPageLayout::Landscape);
  QFile f(pdf);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QByteArray inhalt = f.readAll();
  // One page object; its media box is wider than high.
  const QRegularExpression seite(QStringLiteral("/Type\\s*/Page[^s]"));
  EXPECT_EQ(QString::fromLatin1(inhalt).count(seite), 1);
  const QRegularExpressionMatch box =
      QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"))
          .match(QString::fromLatin1(inhalt));
  ASSERT_TRUE(box.hasMatch());
  EXPECT_GT(box.captured(1).toDouble(), box.captured(2).toDouble());
  EXPECT_TRUE(inhalt.contains("/Subtype /Image"));
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(BildAusgabeTest, ExtensionPicksTheWriterGifInAnyCase) {
  for (const QString& name : {QStringLiteral("a.gif"), QStringLiteral("b.GIF"), QStringLiteral("c.Gif")}) {
    ASSERT_TRUE(Speichern(name)) << name.toStdString();
    const QByteArray b = Bytes(name);
    ASSERT_GT(b.size(), 13);
    EXPECT_EQ(b.left(6), QByteArray("GIF87a"));
    EXPECT_EQ(static_cast<uint8_t>(b[10]) & 0x80, 0) << "no global colour table";
    // Qt's reader as an outside check: the picture has the capture's size.
    EXPECT_EQ(QImage::fromData(b).size(), g->Druckbild.size());
  }
  const QList<QPair<QString, QByteArray>> kopf = {
      {QStringLiteral("d.png"), QByteArray("\x89PNG\r\n\x1a\n", 8)},
      {QStringLiteral("e.bmp"), QByteArray("BM")},
      {QStringLiteral("f.jpg"), QByteArray("\xff\xd8\xff", 3)},
      {QStringLiteral("g.JPEG"), QByteArray("\xff\xd8\xff", 3)},
      {QStringLiteral("h.pcx"), QByteArray("\x0a", 1)},
  };
  for (const auto& [name, anfang] : kopf) {
    ASSERT_TRUE(Speichern(name)) << name.toStdString();
    EXPECT_TRUE(Bytes(name).startsWith(anfang)) << name.toStdString();
  }
  // The lossless ones give the capture back pixel for pixel.
  const QImage erwartet = g->Druckbild.convertToFormat(QImage::Format_RGB32);
  EXPECT_EQ(imagefile::loadImageFile(Pfad("d.png")).convertToFormat(QImage::Format_RGB32), erwartet);
  EXPECT_EQ(imagefile::loadImageFile(Pfad("e.bmp")).convertToFormat(QImage::Format_RGB32), erwartet);
  EXPECT_TRUE(meldungen.messages().empty()) << Meldungen().join("|").toStdString();
  // No temporary file is left behind.
  EXPECT_EQ(Dateien(), (QStringList{"a.gif", "b.GIF", "c.Gif", "d.png", "daten.csv", "e.bmp",
                                    "einstKolvex.frb", "f.jpg", "g.JPEG", "h.pcx"}));
}

TEST_F(BildAusgabeTest, UnknownExtensionShowsTheLibraryTextWithTheFileAndKeepsAnExistingFile) {
  DateiSchreiben("alt.gifx", {"alter Inhalt"});
  EXPECT_FALSE(Speichern("alt.gifx"));
  EXPECT_EQ(Meldungen(), QStringList{"Das Bild kann nicht gespeichert werden:\r" + Pfad("alt.gifx") +
                                     "\rUnsupported file format: GIFX"});
  EXPECT_EQ(DateiLesen("alt.gifx"), QStringList{"alter Inhalt"});
  meldungen.clear();
  EXPECT_FALSE(Speichern("ohne_endung"));
  EXPECT_EQ(Meldungen(), QStringList{"Das Bild kann nicht gespeichert werden:\r" +
                                     Pfad("ohne_endung") + "\rUnsupported file format: "});
  EXPECT_FALSE(DateiDa("ohne_endung"));
  EXPECT_EQ(Dateien(), (QStringList{"alt.gifx", "daten.csv", "einstKolvex.frb"}));
}

TEST_F(BildAusgabeTest, FailedSaveNamesTheFileAndTheSystemsReason) {
  // A folder where the picture should go: the rename at the end fails, for GIF and others.
  for (const QString& name : {QStringLiteral("ordner.png"), QStringLiteral("ordner.gif")}) {
    meldungen.clear();
    ASSERT_TRUE(QDir(Pfad("")).mkdir(name));
    EXPECT_FALSE(Speichern(name));
    ASSERT_EQ(meldungen.messages().size(), 1u) << name.toStdString();
    const RecordedMessage& m = meldungen.messages().front();
    EXPECT_EQ(m.kind, MessageKind::Warning);
    EXPECT_TRUE(m.text.startsWith("Das Bild kann nicht gespeichert werden:\r" + Pfad(name) + "\r"))
        << m.text.toStdString();
    EXPECT_TRUE(m.text.endsWith("Is a directory")) << m.text.toStdString();
    EXPECT_TRUE(QFileInfo(Pfad(name)).isDir());
  }
  // A folder that does not exist: nothing can be created.
  meldungen.clear();
  EXPECT_FALSE(Speichern("fehlt/bild.jpg"));
  ASSERT_EQ(meldungen.messages().size(), 1u);
  EXPECT_TRUE(meldungen.messages().front().text.startsWith(
      "Das Bild kann nicht gespeichert werden:\r" + Pfad("fehlt/bild.jpg") + "\r"));
  EXPECT_EQ(Dateien(), (QStringList{"daten.csv", "einstKolvex.frb", "ordner.gif", "ordner.png"}));
}

TEST_F(BildAusgabeTest, SaveDialogStartsInThePictureFolderAndFollowsTheFilter) {
  ASSERT_TRUE(QDir(Pfad("")).mkdir("bilder"));
  kolvex::DiagrammPfad = Pfad("bilder").toStdString() + "/";
  QStringList filter;
  QString ordner, endung, endungPng;
  TfrGrafikApprox::BildSpeichernDialogTestHook = [&](QFileDialog& d) {
    filter = d.nameFilters();
    ordner = d.directory().absolutePath();
    endung = d.defaultSuffix();
    d.selectNameFilter(filter[5]);
    emit d.filterSelected(filter[5]);
    endungPng = d.defaultSuffix();
    return Pfad("bilder/graph.png");
  };
  // The right button saves.
  QTest::mousePress(g->tbDiagramme, Qt::RightButton);
  EXPECT_EQ(filter, (QStringList{"Alle Dateien (*.bmp *.gif *.jpg *.jpeg *.png *.pcx *.emf *.wmf)",
                                 "Bitmaps (*.bmp)", "GIF Image (*.gif)", "JPG Bilddatei (*.jpg)",
                                 "JPEG Bilddatei (*.jpeg)", "PNG Bilddatei (*.png)",
                                 "PCX Bilddatei (*.pcx)", "WMF Datei (*.wmf)", "EMF Datei (*.emf)"}));
  EXPECT_EQ(ordner, Pfad("bilder"));
  EXPECT_EQ(endung, "jpg");
  EXPECT_EQ(endungPng, "png");
  EXPECT_TRUE(Bytes("bilder/graph.png").startsWith("\x89PNG"));
  EXPECT_EQ(kolvex::DiagrammPfad, Pfad("bilder").toStdString() + "/");
  EXPECT_EQ(g->SavePictureDialog1.FilterIndex, 6);

  // Cancelled: neither the folder nor any file changes.
  kolvex::DiagrammPfad = "/anderswo/";
  TfrGrafikApprox::BildSpeichernDialogTestHook = [](QFileDialog&) { return QString(); };
  const QStringList vorher = Dateien();
  QTest::mousePress(g->tbDiagramme, Qt::RightButton);
  EXPECT_EQ(kolvex::DiagrammPfad, "/anderswo/");
  EXPECT_EQ(Dateien(), vorher);
  EXPECT_EQ(QDir(Pfad("bilder")).entryList(QDir::Files), QStringList{"graph.png"});
  EXPECT_TRUE(meldungen.messages().empty());
}

TEST_F(BildAusgabeTest, PictureButtonHints) {
  EXPECT_EQ(g->tbDiagramme->toolTip(), "Bild öffnen");
  EXPECT_EQ(g->tbPrint->toolTip(), "Drucken Diagramm");
  QTest::mouseMove(g->tbDiagramme);
  QEvent betreten(QEvent::Enter);
  QApplication::sendEvent(g->tbDiagramme, &betreten);
  EXPECT_EQ(g->tbDiagramme->toolTip(), "Bild öffnen\nRechtemaus: Speichern");
}

// The host window's frame set-up: looping extension on the first frame only, a control
// extension on every frame whose transparent index is the bottom-left pixel's colour.
TEST_F(BildAusgabeTest, GifFrameOfTheHostWindowCarriesItsExtensions) {
  QImage bild(40, 30, QImage::Format_RGB32);
  bild.fill(Qt::white);
  for (int x = 0; x < 40; ++x) bild.setPixel(x, 29, qRgb(0, 0, 255));
  gif::GifFile datei;
  EXPECT_EQ(frKolvex->GifBildHinzufuegen(datei, bild), 0);
  EXPECT_EQ(frKolvex->GifBildHinzufuegen(datei, bild), 1);
  const gif::GifSubImage& erstes = datei.images().image(0);
  const gif::GifSubImage& zweites = datei.images().image(1);
  EXPECT_EQ(erstes.extensions().count(), 2);
  EXPECT_EQ(zweites.extensions().count(), 1);
  EXPECT_EQ(erstes.left(), 0);
  EXPECT_EQ(erstes.top(), 0);
  const int index = frKolvex->GifTransparenzIndex(erstes);
  ASSERT_GE(index, 0);
  EXPECT_EQ(erstes.activeColorMap().color(index), gif::makeColor(0, 0, 255));
  ASSERT_NE(erstes.graphicControlExtension(), nullptr);
  EXPECT_EQ(erstes.transparentColorIndex(), index);
  EXPECT_FALSE(erstes.transparent());
  gif::GifSubImage leer(&datei);
  EXPECT_EQ(frKolvex->GifTransparenzIndex(leer), -1);
}
