// The data graph as a user drives it, inside the application's own loop, with real file
// dialogs, real message boxes and real modal windows answered on the screen. Run under
// scripts/run-on-x they meet a window manager: right after a file dialog closes no window is
// active, and windows reach the screen a moment after they are shown.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>
#include <QWindow>

#include "core/globals.h"
#include "datagraph/approxim.h"
#include "datagraph/approxim_auswahl.h"
#include "datagraph/diagramme.h"
#include "datagraph/grafik_approx.h"
#include "datagraph/value_grid.h"
#include "gif/qt/gif_export.h"
#include "gif/qt/gif_image.h"
#include "imagefile/qt/image_io.h"
#include "engines/messdaten.h"
#include "platform/radio_group.h"
#include "platform/string_grid.h"
#include "support/fenster_fixture.h"
#include "support/programm_lauf.h"

namespace {

class EchteDialogeTest : public EchteFensterTest {
 protected:
  void SetUp() override {
    EchteFensterTest::SetUp();
    imagefile::registerFormats();
    gif::registerFormats();
    g = frGrafikApprox;
    ASSERT_NE(g, nullptr);
    QStringList zeilen{"x;y"};
    for (int i = 0; i < 20; ++i) zeilen << QString("%1;%2").arg(i).arg(i * i);
    DateiSchreiben("daten.csv", zeilen);
  }

  void Bytes(const QString& name, const QByteArray& bytes) {
    QFile f(Pfad(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
  }
  // A 200 x 100 picture file; halb cuts it after half its bytes.
  void Bild(const QString& name, bool halb = false) {
    QImage bild(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y)
      for (int x = 0; x < 200; ++x) bild.setPixel(x, y, qRgb(x, y * 2, (x * y) % 256));
    if (name.endsWith(".gif"))
      gif::saveSingleFrameGif(bild, Pfad(name));
    else
      imagefile::saveImageFile(bild, Pfad(name));
    if (!halb) return;
    QFile datei(Pfad(name));
    ASSERT_TRUE(datei.open(QIODevice::ReadOnly));
    const QByteArray bytes = datei.readAll();
    datei.close();
    Bytes(name, bytes.left(bytes.size() / 2));
  }

  // The program's way in: "XY-Daten in Diagramm" on the shown main window, the table chosen
  // in the file dialog; imGraph runs once the data graph is up (modal, main window hidden),
  // and closes it at the end.
  void ImDatenGraph(const std::function<void()>& imGraph, const QString& tabelle = "daten.csv") {
    HauptfensterZeigen();
    DateiDialogBeantworten(Pfad(tabelle));
    WennDann([this] { return g->isModalRunning() && g->isVisible() && g->Tag == 1; }, [this, imGraph] {
      Nachlaufen();
      imGraph();
      g->close();
    });
    QTest::mouseClick(frRechn->tbDiagramm, Qt::LeftButton);
    EXPECT_FALSE(g->isVisible());
  }

  // A click on knopf opens the file dialog, which chooses datei; the box that follows is
  // answered: its text, and in *besitzer the window it belonged to.
  QString DateiMitMeldung(QWidget* knopf, const char* datei, QWidget** besitzer) {
    QString text;
    DateiDialogBeantworten(Pfad(datei));
    MeldungBeantworten(&text, besitzer);
    QTest::mouseClick(knopf, Qt::LeftButton);
    return text;
  }

  // The data graph is still there, modal, with the table it held.
  void DatenGraphUnversehrt(const ProgrammLauf& lauf, int zeilen = 21) {
    Nachlaufen();
    EXPECT_FALSE(lauf.Beendet()) << "the program was told to end";
    EXPECT_TRUE(g->isVisible());
    EXPECT_TRUE(g->isModalRunning());
    EXPECT_EQ(g->sg1->RowCount(), zeilen);
  }

  TfrGrafikApprox* g = nullptr;
};

TEST_F(EchteDialogeTest, CutDataFileLoadedFromTheGraphShowsTheMessageAndKeepsTheWindow) {
  Bytes("mess.DAT", QByteArray::fromStdString([] {
          std::string s;
          for (const std::string& z : messdaten::DatKopf({{"A", 1000}, {"B", 1000}})) s += z + "\r\n";
          return s;
        }()));
  std::string werte;
  for (int i = 0; i < 667; ++i) werte += messdaten::R64({i * 0.5});
  Bytes("mess.R64", QByteArray::fromStdString(werte));

  ProgrammLauf lauf;
  QString text;
  QWidget* besitzer = nullptr;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      DateiDialogBeantworten(Pfad("mess.DAT"));
      MeldungBeantworten(&text, &besitzer);
      QTest::mouseClick(g->sbLaden, Qt::LeftButton);
      EXPECT_EQ(text, "Datei " + Pfad("mess.R64") +
                          " ist unvollständig: 667 von 2000 Werten gelesen.");
      EXPECT_EQ(besitzer, g);
      DatenGraphUnversehrt(lauf, 668);
    });
  });
  EXPECT_FALSE(lauf.Beendet());
}

TEST_F(EchteDialogeTest, DamagedPictureFromThePictureButtonShowsTheMessageAndKeepsTheGraph) {
  Bild("halb.png", true);
  ProgrammLauf lauf;
  QString text;
  QWidget* besitzer = nullptr;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      QTest::mouseClick(g->sbGrafik, Qt::LeftButton);  // the graph page with its toolbar
      DateiDialogBeantworten(Pfad("halb.png"));
      MeldungBeantworten(&text, &besitzer);
      QTest::mouseClick(g->tbDiagramme, Qt::LeftButton);
      EXPECT_EQ(text, "Datei " + Pfad("halb.png") + " kann nicht gelesen werden.\nRead less than expected");
      EXPECT_EQ(besitzer, g);
      EXPECT_FALSE(frDiagramme->isVisible());
      DatenGraphUnversehrt(lauf);
    });
  });
  EXPECT_FALSE(lauf.Beendet());
}

TEST_F(EchteDialogeTest, ViewerKeepsRunningAfterFilesItCannotRead) {
  Bild("halb.gif", true);
  Bild("ganz.png");
  Bytes("falsch.jpg", "kein jpeg, nur Text\n");
  ProgrammLauf lauf;
  QStringList texte;
  QStringList titel;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
      DateiDialogBeantworten(Pfad("ganz.png"));
      WennDann([] { return frDiagramme->isModalRunning() && frDiagramme->isVisible(); }, [&] {
        Nachlaufen();
        for (const char* datei : {"falsch.jpg", "halb.gif"}) {
          QWidget* besitzer = nullptr;
          texte << DateiMitMeldung(frDiagramme->sbLaden, datei, &besitzer);
          EXPECT_EQ(besitzer, frDiagramme) << datei;
          Nachlaufen();
          EXPECT_FALSE(lauf.Beendet()) << datei;
          EXPECT_TRUE(frDiagramme->isVisible() && frDiagramme->isModalRunning()) << datei;
        }
        // The picture shown before stays.
        ASSERT_NE(frDiagramme->Image1->bild(), nullptr);
        EXPECT_EQ(frDiagramme->Image1->bild()->width(), 200);
        QTest::mouseClick(frDiagramme->sbExit, Qt::LeftButton);
      });
      QTest::mouseClick(g->tbDiagramme, Qt::LeftButton);
      DatenGraphUnversehrt(lauf);
    });
  });
  ASSERT_EQ(texte.size(), 2);
  EXPECT_EQ(texte[0], "Datei " + Pfad("falsch.jpg") +
                          " kann nicht gelesen werden.\nNot a JPEG file: starts with 0x6b 0x65");
  EXPECT_EQ(texte[1], "Datei " + Pfad("halb.gif") + " kann nicht gelesen werden.\nInvalid Image trailer");
}

// A fit that fails (e^x on X up to 1000, its coefficient too small for a double): one real
// box on the data graph, naming the curve; the graph stays modal with its points, and
// repaints ask nothing more.
TEST_F(EchteDialogeTest, FailedFitShowsOneBoxAndTheGraphStays) {
  QStringList zeilen{"x;y"};
  for (int i = 0; i <= 50; ++i) zeilen << QString("%1;%2").arg(i * 20).arg(1 + i % 3);
  DateiSchreiben("ueberlauf.csv", zeilen);
  ProgrammLauf lauf;
  QString text;
  QWidget* besitzer = nullptr;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      g->cbXKanal->setCurrentIndex(1);
      g->cbYKanal->setCurrentIndex(2);
      QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
      const QString modell = "y = a1 + a2*e^x";
      frApproxim->RadioGroup1->addItem(modell);
      frApproxim->lbh->addItem(modell);
      frApproxim->AuswahlSetzen(frApproxim->RadioGroup1->count() - 1);
      MeldungBeantworten(&text, &besitzer);
      QTest::mouseClick(g->tbInterpolation, Qt::LeftButton);  // fitting on
      EXPECT_EQ(text, "Das Modell konnte für die Kurve „ueberlauf   x : y“ nicht berechnet werden.\n"
                      "Der Koeffizient a2 ist zu klein.");
      EXPECT_EQ(besitzer, g);
      EXPECT_TRUE(g->tbInterpolation->isChecked());
      EXPECT_EQ(g->Serien[0]->count(), 51);
      EXPECT_TRUE(g->Chart1->overlayLines().empty());
      EXPECT_TRUE(GemaltAbwarten(g->Chart1));
      EXPECT_TRUE(GroesseSetzenUndAbwarten(g, QSize(g->width() - 20, g->height())));
      Nachlaufen();
      EXPECT_EQ(QApplication::activeModalWidget(), g);
      DatenGraphUnversehrt(lauf, 52);
    }, "ueberlauf.csv");
  });
  EXPECT_FALSE(lauf.Beendet());
}

// The title block's logo: a damaged picture chosen in the real file dialog is told on the
// data graph, and the logo shown stays.
TEST_F(EchteDialogeTest, DamagedLogoShowsTheMessageAndKeepsTheLogo) {
  Bild("logo.png");
  Bild("halb.png", true);
  Bytes("text.jpg", "kein jpeg, nur Text\n");
  ProgrammLauf lauf;
  QStringList texte;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      QTest::mouseClick(g->sbGrafik, Qt::LeftButton);  // the graph page with the title block
      ASSERT_TRUE(g->Image1->isVisible());
      DateiDialogBeantworten(Pfad("logo.png"));
      QTest::mouseClick(g->Image1, Qt::LeftButton);
      const QImage vorher = g->Image1->pixmap().toImage();
      ASSERT_FALSE(vorher.isNull());
      for (const char* datei : {"halb.png", "text.jpg"}) {
        QWidget* besitzer = nullptr;
        texte << DateiMitMeldung(g->Image1, datei, &besitzer);
        EXPECT_EQ(besitzer, g) << datei;
        EXPECT_EQ(g->Image1->pixmap().toImage(), vorher) << datei;
        EXPECT_EQ(kolvex::LogoDatei, Pfad("logo.png").toStdString());
      }
      DatenGraphUnversehrt(lauf);
    });
  });
  EXPECT_EQ(texte, (QStringList{
                       "Datei " + Pfad("halb.png") + " kann nicht gelesen werden.\nRead less than expected",
                       "Datei " + Pfad("text.jpg") +
                           " kann nicht gelesen werden.\nNot a JPEG file: starts with 0x6b 0x65"}));
  EXPECT_FALSE(lauf.Beendet());
}

// "Neu" on a table deleted after it was loaded: the box names the file, the table stays.
TEST_F(EchteDialogeTest, ReloadOfADeletedTableNamesItAndKeepsTheTable) {
  ProgrammLauf lauf;
  QString text;
  QWidget* besitzer = nullptr;
  QString grund;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      ASSERT_TRUE(QFile::remove(Pfad("daten.csv")));
      QFile fehlt(Pfad("daten.csv"));
      EXPECT_FALSE(fehlt.open(QIODevice::ReadOnly));
      grund = fehlt.errorString();
      MeldungBeantworten(&text, &besitzer);
      QTest::mouseClick(g->sbAbZeile, Qt::LeftButton);
      EXPECT_EQ(besitzer, g);
      DatenGraphUnversehrt(lauf);
    });
  });
  EXPECT_EQ(text, "Datei " + Pfad("daten.csv") + " kann nicht gelesen werden.\n" + grund);
  EXPECT_FALSE(lauf.Beendet());
}

// The model list hidden for the model builder comes back on the screen when the builder
// closes, once and modal; the user's steps of the report.
TEST_F(EchteDialogeTest, ModelListReturnsOnTheScreenWhenTheBuilderCloses) {
  ProgrammLauf lauf;
  int gezeigt = 0;
  bool aufDemSchirm = false;
  bool modal = false;
  lauf.Ausfuehren([&] {
    ImDatenGraph([&] {
      g->cbXKanal->setCurrentIndex(1);
      g->cbYKanal->setCurrentIndex(2);
      QTest::mouseClick(g->sbGrafik, Qt::LeftButton);
      WennModal<TfrApproxim>([&](TfrApproxim* liste) {
        QTest::mouseClick(liste->RadioGroup1->button(2), Qt::LeftButton, {}, QPoint(8, 8));
        WennModal<TfrApproxim_Auswahl>([&](TfrApproxim_Auswahl* b) {
          for (const char* name : {"cbWF1", "cbEF3"}) {
            auto* box = b->findChild<QCheckBox*>(name);
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
          }
          QTest::mouseClick(b->edFormel, Qt::LeftButton);
          QTest::keyClick(b->edFormel, Qt::Key_Home);
          QTest::mouseClick(b->sbKopieren, Qt::LeftButton);
          QTest::mouseClick(b->sbNeueFktPlus, Qt::LeftButton);
          QObject::connect(liste, &Form::visibilityChanged, [&](bool sichtbar) { gezeigt += sichtbar; });
          QTest::mouseClick(b->sbExit, Qt::LeftButton);
        });
        QTest::mouseClick(liste->sbAppromAuswahl, Qt::LeftButton);
        // Back from the builder: the list shows, modal, and reaches the screen.
        aufDemSchirm = AufDemSchirm(liste);
        modal = liste->isModalRunning() && QApplication::activeModalWidget() == liste;
        QTest::mouseClick(liste->OKButton, Qt::LeftButton);
      });
      QTest::mouseClick(g->tbInterpolation, Qt::RightButton);
      EXPECT_FALSE(frApproxim->isVisible());
      DatenGraphUnversehrt(lauf);
    });
  });
  EXPECT_EQ(gezeigt, 1);
  EXPECT_TRUE(aufDemSchirm);
  EXPECT_TRUE(modal);
  EXPECT_EQ(kolvex::AnsatzIndex, 7);  // the model taken over, chosen
}

}  // namespace
