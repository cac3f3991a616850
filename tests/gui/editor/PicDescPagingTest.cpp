// Showing pictures, paging, and writing the description file.
#include <sys/stat.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <chrono>
#include <thread>

#include "PicDescFixture.h"
#include "core/folder/DescriptionFile.h"
#include "support/DrawingFixtures.h"
#include "support/PhoneFixtures.h"
#include "support/PictureFixtures.h"

namespace {

using PicDescPagingTest = PicDescTest;

struct ShownSize {
  const char* What;
  std::string Bytes;
  const char* Name;
  QSize Expected;
  bool Stretch;
  // The phone and messenger kinds (red, green, blue and white quarters):
  // the colour the upright picture shows at its top left, once sharp, and
  // whether its thumbnail shows it at once.
  QRgb TopLeft = 0;
  bool Thumbnail = false;
};

// The folder takes in every kind of picture; the six classic kinds are
// drawn as they always were.
TEST_F(PicDescPagingTest, PicturesAreFittedIntoTheirArea) {
  const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), blue = qRgb(0, 0, 255);
  const std::vector<ShownSize> cases = {
      {"400x300", MakeJpeg(400, 300), "a.jpg", {400, 300}, false},
      {"500x500", MakeBmp(500, 500), "b.bmp", {500, 500}, false},
      {"1024x768", MakeJpeg(1024, 768), "c.jpg", {500, 375}, true},
      {"800x1000", MakeJpeg(800, 1000), "d.jpeg", {400, 500}, true},
      // Stored sideways with EXIF orientation 6: shown upright as 768 x 1024.
      {"1024x768 turned", WithExif(MakeJpeg(1024, 768), 6), "r.jpg", {375, 500}, true},
      {"300x900", MakeBmp(300, 900), "e.bmp", {166, 500}, true},
      {"501x10", MakeJpeg(501, 10), "f.jpg", {500, 9}, true},
      {"icon", MakeIcon(), "g.ico", {32, 32}, false},
      {"not a picture", "not a picture at all", "h.jpg", {0, 0}, false},
      {"HEIC turned", MakeHeic(640, 480, 8), "IMG_0001.HEIC", {375, 500}, true, green},
      {"HEIC grid", MakeHeicGrid(1000, 600, 512, 3), "IMG_0002.heic", {300, 500}, true, blue, true},
      {"AVIF turned by irot", MakeAvif(64, 48, 1), "i.avif", {48, 64}, false, green},
      {"WebP", MakeWebP(64, 48), "j.webp", {64, 48}, false, red},
      {"PNG with eXIf", MakePng(64, 48, 3), "k.png", {64, 48}, false, qRgb(255, 255, 255)},
      {"GIF", MakeGif(64, 48), "l.gif", {64, 48}, false, red},
      {"TIFF turned", MakeTiff(64, 48, 6), "m.tif", {48, 64}, false, blue},
  };
  std::vector<std::string> names;
  for (const ShownSize& c : cases) {
    Folder.Write(c.Name, c.Bytes);
    names.push_back(c.Name);
  }
  Create(names);
  Main->AllPictureKinds = true;
  Window->show();
  for (std::size_t i = 0; i < cases.size(); ++i) {
    if (i > 0) Window->btnPgDnClick();
    const ShownSize& c = cases[i];
    if (c.TopLeft != 0) {
      // A grab paints as the window does: the first draws the thumbnail,
      // if any, and starts the decode, whose end asks for the repaint that
      // draws the sharp picture.
      const QImage first = Image()->Grab();
      if (c.Thumbnail) {
        EXPECT_TRUE(drawfx::Near(first.pixel(2, 2), c.TopLeft, 40)) << c.What;
        EXPECT_FALSE(Image()->Sharp()) << c.What;
      }
      for (int wait = 0; wait < 1000 && !Image()->Sharp(); ++wait) {
        QApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
      ASSERT_TRUE(Image()->Sharp()) << c.What;
      EXPECT_TRUE(drawfx::Near(Image()->Grab().pixel(2, 2), c.TopLeft, 40)) << c.What;
    }
    EXPECT_EQ(Image()->size(), c.Expected) << c.What;
    EXPECT_EQ(Image()->pos(), QPoint(13, 7)) << c.What;
    EXPECT_EQ(Image()->Stretch(), c.Stretch) << c.What;
    EXPECT_EQ(LabelText("txtDimens"), "Dimensions: " + std::to_string(c.Expected.width()) + " X " +
                                          std::to_string(c.Expected.height()))
        << c.What;
    EXPECT_TRUE(Find<QLabel>("txtDimens")->isHidden()) << c.What;
    EXPECT_EQ(FileNameBox(), c.Name) << c.What;
  }
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescPagingTest, PictureIsDrawnIntoItsArea) {
  // A bitmap scaled from 1000 x 500 to 500 x 250 fills the area.
  Folder.Write("wide.bmp", MakeBmp(1000, 500));
  Open({"wide.bmp"});
  const QImage drawn = Image()->Grab();
  ASSERT_EQ(drawn.size(), QSize(500, 250));
  EXPECT_EQ(qAlpha(drawn.pixel(0, 0)), 255);
  EXPECT_EQ(qAlpha(drawn.pixel(499, 249)), 255);
  EXPECT_FALSE(Image()->Empty());
}

TEST_F(PicDescPagingTest, AnInvalidPictureShowsAnEmptyAreaWithItsCountersNameAndDescription) {
  Folder.Write("!.KVD", DescriptionRecord("broken.jpg", "Still described"));
  Folder.Write("broken.jpg", std::string("\xFF\xD8 garbage", 10));
  Folder.Write("empty.emf", "");
  Open({"broken.jpg", "empty.emf"});
  EXPECT_EQ(Counters(), "1 of 2");
  EXPECT_EQ(FileNameBox(), "broken.jpg");
  EXPECT_EQ(Image()->size(), QSize(0, 0));
  EXPECT_TRUE(Image()->Empty());
  EXPECT_EQ(Memo()->StoredText(), "Still described");
  Window->btnPgDnClick();
  EXPECT_EQ(Counters(), "2 of 2");
  EXPECT_EQ(Image()->size(), QSize(0, 0));
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescPagingTest, AFileThatCannotBeOpenedEndsTheDisplayWithAnErrorBox) {
  Folder.Write("!.KVD", DescriptionRecord("a.jpg", "First") + DescriptionRecord("b.jpg", "Second"));
  Folder.Write("a.jpg", MakeJpeg(40, 30));
  Folder.Write("b.jpg", MakeJpeg(8, 6));
  Open({"a.jpg", "b.jpg"});
  std::remove(Folder.File("b.jpg").c_str());
  Window->btnPgDnClick();
  EXPECT_EQ(TakeBoxes(),
            (std::vector<Box>{{Box::Error, "Cannot open file b.jpg.\n" + Folder.File("b.jpg")}}));
  // The counters and the name show picture 2, the picture and the memo
  // still picture 1.
  EXPECT_EQ(Counters(), "2 of 2");
  EXPECT_EQ(FileNameBox(), "b.jpg");
  EXPECT_EQ(Image()->size(), QSize(40, 30));
  EXPECT_EQ(Memo()->StoredText(), "First");
  EXPECT_EQ(PicDesc.CurrentPicture, 2);
}

TEST_F(PicDescPagingTest, OpeningShowsPictureOneOfTwelve) {
  Open(NumberedNames(12));
  EXPECT_EQ(LabelText("Label2"), "Picture ");
  EXPECT_EQ(LabelText("lblPicNo"), "1");
  EXPECT_EQ(LabelText("Label4"), "of");
  EXPECT_EQ(LabelText("lblPicTot"), "12");
  EXPECT_EQ(FileNameBox(), "picture01.jpg");
  EXPECT_EQ(PicDesc.CurrentPicture, 1);
}

TEST_F(PicDescPagingTest, PagingStopsAtBothEndsWithAMessage) {
  Open(NumberedNames(12));
  Window->btnPgUpClick();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the first image"}}));
  EXPECT_EQ(Counters(), "1 of 12");
  for (int n = 2; n <= 12; ++n) {
    Window->btnPgDnClick();
    EXPECT_EQ(Counters(), std::to_string(n) + " of 12");
  }
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(FileNameBox(), "picture12.jpg");
  Window->btnPgDnClick();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the last image"}}));
  EXPECT_EQ(Counters(), "12 of 12");
  EXPECT_EQ(PicDesc.CurrentPicture, 12);
  Window->btnPgUpClick();
  EXPECT_EQ(Counters(), "11 of 12");
  EXPECT_FALSE(Folder.Exists("!.KVD"));  // nothing was changed, nothing written
}

TEST_F(PicDescPagingTest, WithASinglePictureBothDirectionsOnlyShowTheirMessages) {
  Open({"only.jpg"});
  Window->btnPgDnClick();
  Window->btnPgUpClick();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the last image"},
                                           {Box::Information, "We are at the first image"}}));
  EXPECT_EQ(Counters(), "1 of 1");
}

// Whichever control had the focus when the window closed (Exit, the name
// box), the keys of the next opening go to the description box.
TEST_F(PicDescPagingTest, OpeningAgainStartsAtPictureOneInTheDescriptionBox) {
  Open(NumberedNames(3));
  EXPECT_EQ(Window->focusWidget(), Memo());
  for (const char* last : {"btnExit", "txtFileName", "btnPgDn"}) {
    Window->btnPgDnClick();
    Window->btnPgDnClick();
    Find<QWidget>(last)->setFocus();
    Window->btnExitClick();
    Window->show();
    EXPECT_EQ(Counters(), "1 of 3") << last;
    EXPECT_EQ(Window->focusWidget(), Memo()) << last;
    EXPECT_FALSE(PicDesc.RenamePending) << last;
  }
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescPagingTest, AChangedDescriptionIsWrittenBeforeTheNextPictureIsShown) {
  Open(NumberedNames(3));
  std::vector<StoredRecord> atSecondPicture;
  TypeDescription("Sunset\nBeach");
  EXPECT_TRUE(PicDesc.DescriptionsDirty);
  Window->btnPgDnClick();
  EXPECT_EQ(Counters(), "2 of 3");
  EXPECT_FALSE(PicDesc.DescriptionsDirty);
  EXPECT_EQ(
      StoredRecords(DescriptionFileBytes()),
      (std::vector<StoredRecord>{
          {"picture01.jpg", "Sunset\r\nBeach"}, {"picture02.jpg", ""}, {"picture03.jpg", ""}}));
  EXPECT_EQ(DescriptionFileBytes().size(), 3u * 513u);
  EXPECT_EQ(Main->Table.Entries[0].DescriptionText(), "Sunset\r\nBeach");
  EXPECT_EQ(Memo()->toPlainText(), QString());

  // Back on picture 1 the description shows on two lines.
  Window->btnPgUpClick();
  EXPECT_EQ(Memo()->toPlainText(), QStringLiteral("Sunset\nBeach"));
  EXPECT_EQ(Memo()->document()->blockCount(), 2);
}

TEST_F(PicDescPagingTest, AtTheLastPictureTheFileIsWrittenAndThenTheMessageShown) {
  Open(NumberedNames(2));
  Window->btnPgDnClick();
  TypeDescription("Last one");
  std::vector<StoredRecord> whenShown;
  Messages.OnBox = [&](const std::string&) { whenShown = StoredRecords(DescriptionFileBytes()); };
  Window->btnPgDnClick();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the last image"}}));
  EXPECT_EQ(whenShown,
            (std::vector<StoredRecord>{{"picture01.jpg", ""}, {"picture02.jpg", "Last one"}}));
}

TEST_F(PicDescPagingTest, SaveWritesTheFileAlsoWithoutAnyChange) {
  Folder.Write("!.KVD",
               DescriptionRecord("gone.jpg", "old") + DescriptionRecord("PICTURE02.JPG", "Two"));
  Open(NumberedNames(2));
  Window->btnSaveClick();
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"picture01.jpg", ""}, {"picture02.jpg", "Two"}}));
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_TRUE(Window->isVisible());
}

TEST_F(PicDescPagingTest, ExitSavesAChangedDescriptionAndCloses) {
  Open(NumberedNames(2));
  Window->btnPgDnClick();
  TypeDescription("Harbour");
  Window->btnExitClick();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"picture01.jpg", ""}, {"picture02.jpg", "Harbour"}}));
  EXPECT_FALSE(PicDesc.DescriptionsDirty);
}

TEST_F(PicDescPagingTest, ExitWithoutChangesWritesNothing) {
  Open(NumberedNames(2));
  Window->btnExitClick();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_FALSE(Folder.Exists("!.KVD"));
}

// Showing a picture puts its description into the memo; that is no edit.
// A record of the earlier Windows program (Windows-1252) is shown as such.
TEST_F(PicDescPagingTest, ShowingDescribedPicturesDoesNotRewriteTheFile) {
  Folder.Write("!.KVD", DescriptionRecord("picture01.jpg", "One") +
                            DescriptionRecord("picture02.jpg", "Two") +
                            DescriptionRecord("picture03.jpg", "Caf\xE9 \x80"));
  Open(NumberedNames(3));
  EXPECT_EQ(Memo()->StoredText(), "One");
  // Were the file written, it would appear again.
  std::remove(Folder.File("!.KVD").c_str());
  EXPECT_FALSE(PicDesc.DescriptionsDirty);
  Window->btnPgDnClick();
  EXPECT_EQ(Memo()->StoredText(), "Two");
  Window->btnPgDnClick();
  EXPECT_EQ(Memo()->StoredText(), "Café €");
  Window->btnPgUpClick();
  EXPECT_FALSE(PicDesc.DescriptionsDirty);
  Window->btnExitClick();
  EXPECT_FALSE(Folder.Exists("!.KVD"));
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescPagingTest, AFailingSaveKeepsThePictureTheTextAndTheWindow) {
  Folder.Write("!.KVD", DescriptionRecord("picture01.jpg", "One"));
  ASSERT_EQ(chmod(Folder.File("!.KVD").c_str(), 0444), 0);
  Open(NumberedNames(2));
  EXPECT_EQ(Memo()->StoredText(), "One");
  TypeDescription("One, changed");
  Window->btnPgDnClick();
  EXPECT_EQ(TakeBoxes(),
            (std::vector<Box>{{Box::Error, "File access denied.\n" + Folder.File("!.KVD")}}));
  EXPECT_EQ(Counters(), "1 of 2");
  EXPECT_EQ(Memo()->StoredText(), "One, changed");
  EXPECT_TRUE(PicDesc.DescriptionsDirty);

  Window->btnExitClick();
  EXPECT_EQ(TakeBoxes(),
            (std::vector<Box>{{Box::Error, "File access denied.\n" + Folder.File("!.KVD")}}));
  EXPECT_TRUE(Window->isVisible());
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"picture01.jpg", "One"}}));

  // Once the file may be written, the next move saves the text.
  ASSERT_EQ(chmod(Folder.File("!.KVD").c_str(), 0644), 0);
  Window->btnPgDnClick();
  EXPECT_EQ(Counters(), "2 of 2");
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"picture01.jpg", "One, changed"}, {"picture02.jpg", ""}}));
}

TEST_F(PicDescPagingTest, AHiddenEntryIsNotShown) {
  Open(NumberedNames(3));
  Main->Table.Entries[1].Hidden = 1;
  Window->btnPgDnClick();
  EXPECT_EQ(PicDesc.CurrentPicture, 2);
  EXPECT_EQ(Counters(), "1 of 3");
  EXPECT_EQ(FileNameBox(), "picture01.jpg");
  Window->btnPgDnClick();
  EXPECT_EQ(Counters(), "3 of 3");
}

TEST_F(PicDescPagingTest, ClosingByTheCloseCommandSavesNothing) {
  Open(NumberedNames(2));
  TypeDescription("Lost");
  Window->close();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_FALSE(Folder.Exists("!.KVD"));
  EXPECT_EQ(Main->Table.Entries[0].DescriptionText(), "");
  // The lost text leaves no mark: the next opening writes nothing unasked.
  EXPECT_FALSE(PicDesc.DescriptionsDirty);
  Window->show();
  Window->btnPgDnClick();
  EXPECT_FALSE(Folder.Exists("!.KVD"));
}

TEST_F(PicDescPagingTest, AnEmptyTableIsLeftAlone) {
  // Left over from a folder shown before: the editor's state is carried.
  PicDesc.CurrentPicture = 3;
  PicDesc.DescriptionsDirty = true;
  Folder.Write("!.KVD", DescriptionRecord("elsewhere.jpg", "Keep me"));
  Create({});
  Window->show();
  EXPECT_EQ(LabelText("lblPicNo"), "");
  EXPECT_EQ(FileNameBox(), "");
  EXPECT_EQ(Image()->size(), QSize(0, 0));
  TypeDescription("Typed into nothing");
  Find<QLineEdit>("txtFileName")->setText(QStringLiteral("renamed"));
  Window->txtFileNameExit();
  EXPECT_FALSE(PicDesc.RenamePending);
  Window->btnSaveClick();
  Window->btnPgDnClick();
  Window->btnPgUpClick();
  Window->FormKeyUp(Qt::Key_PageDown);
  Window->btnExitClick();
  EXPECT_FALSE(Window->isVisible());
  EXPECT_TRUE(TakeBoxes().empty());
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"elsewhere.jpg", "Keep me"}}));
}

TEST_F(PicDescPagingTest, ADescriptionIsLimitedTo255BytesWithoutSplittingACharacter) {
  Open({"a.jpg"});
  TMemo* memo = Memo();
  memo->setPlainText(QString(254, QChar(u'x')));
  memo->moveCursor(QTextCursor::End);
  memo->insertPlainText(QString::fromUtf8("ä"));  // two bytes: does not fit
  EXPECT_EQ(memo->StoredText(), std::string(254, 'x'));
  memo->insertPlainText(QStringLiteral("y"));
  EXPECT_EQ(memo->StoredText(), std::string(254, 'x') + "y");
  memo->insertPlainText(QStringLiteral("z"));
  EXPECT_EQ(memo->StoredText().size(), 255u);

  // A paste keeps what fits, cut between characters; a line break counts
  // as the two bytes CR LF.
  memo->clear();
  memo->insertPlainText(QString(250, QChar(u'a')) + QStringLiteral("\nüüü"));
  EXPECT_EQ(memo->StoredText(), std::string(250, 'a') + "\r\nü");
  EXPECT_EQ(TMemo::StoredBytes(memo->toPlainText()), 254);

  // Typing in the middle drops what goes beyond, and keeps the rest.
  memo->setPlainText(QString(255, QChar(u'b')));
  QTextCursor cursor = memo->textCursor();
  cursor.setPosition(10);
  memo->setTextCursor(cursor);
  memo->insertPlainText(QStringLiteral("NEW"));
  EXPECT_EQ(memo->StoredText(), std::string(255, 'b'));
}

TEST_F(PicDescPagingTest, ALongDescriptionIsSavedCutTo255Bytes) {
  Open({"a.jpg"});
  TypeDescription(std::string(300, 'q'));
  EXPECT_EQ(Memo()->StoredText().size(), 255u);
  Window->btnSaveClick();
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()).at(0).Description, std::string(255, 'q'));
}

}  // namespace

namespace {

using PicDescModalTest = PicDescTest;

// The modal opening returns once the window is closed. Here the user closes
// it with Exit from the error box that the opening itself brings up (the
// first picture's file has gone), so no event has to be faked.
TEST_F(PicDescModalTest, ShowModalOpensMaximizedAndModalAndReturnsWhenClosed) {
  WritePictures(NumberedNames(2));
  Create(NumberedNames(2));
  std::remove(Folder.File("picture01.jpg").c_str());
  bool maximized = false;
  bool modal = false;
  Messages.OnBox = [&](const std::string&) {
    maximized = Window->windowState().testFlag(Qt::WindowMaximized);
    modal = Window->isModal();
    Window->btnExitClick();
  };
  Window->ShowModal(*Main);
  EXPECT_TRUE(maximized);
  EXPECT_TRUE(modal);
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Error, "Cannot open file picture01.jpg.\n" +
                                                            Folder.File("picture01.jpg")}}));
  EXPECT_EQ(PicDesc.CurrentPicture, 1);
}

}  // namespace

namespace {

// The same through the modal loop: a PageDown release waiting in the event
// queue reaches the open editor, whose only picture is the last one; the
// user answers that message by closing the editor with Exit.
TEST_F(PicDescModalTest, TheModalLoopEndsWhenTheWindowCloses) {
  Folder.Write("!.KVD", DescriptionRecord("only.jpg", "Kept"));
  WritePictures({"only.jpg"});
  Create({"only.jpg"});
  int boxes = 0;
  Messages.OnBox = [&](const std::string&) {
    ++boxes;
    EXPECT_TRUE(Window->isVisible());
    Window->btnExitClick();
  };
  QApplication::postEvent(Memo(),
                          new QKeyEvent(QEvent::KeyRelease, Qt::Key_PageDown, Qt::NoModifier));
  Window->ShowModal(*Main);
  EXPECT_EQ(boxes, 1);
  EXPECT_FALSE(Window->isVisible());
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the last image"}}));
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"only.jpg", "Kept"}}));
}

}  // namespace
