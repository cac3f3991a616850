// Renaming picture files from the name box.
#include <sys/stat.h>

#include <QApplication>
#include <QFocusEvent>

#include "PicDescFixture.h"
#include "core/folder/DescriptionFile.h"

namespace {

using PicDescRenameTest = PicDescTest;

struct RenameCase {
  const char* Current;
  const char* Typed;
  const char* Result;
};

TEST_F(PicDescRenameTest, TheNextMoveCarriesOutThePreparedRename) {
  const std::vector<RenameCase> cases = {
      {"photo.jpg", "beach", "beach.JPG"},
      {"photo.jpg", "beach.jpg", "beach.jpg"},
      {"photo.jpg", "beach.jpeg", "beach.jpeg.JPG"},
      {"photo.jpg", "BEACH.JPG", "BEACH.JPG"},
      {"photo.jpeg", "beach", "beach"},
      {"photo.bmp", "dunes", "dunes.BMP"},
      {"photo.ico", "star.png", "star.png"},
      {"photo.jpg", "Strand am Meer", "Strand am Meer.JPG"},
      {"photo.jpg", "Bäume", "Bäume.JPG"},
  };
  for (const RenameCase& c : cases) {
    SCOPED_TRACE(std::string(c.Current) + " -> " + c.Typed);
    Open({c.Current, "zzz.jpg"});
    TypeFileName(c.Typed);
    EXPECT_TRUE(PicDesc.RenamePending);
    Window->btnPgDnClick();
    EXPECT_TRUE(TakeBoxes().empty());
    EXPECT_TRUE(Folder.Exists(c.Result));
    EXPECT_FALSE(Folder.Exists(c.Current));
    EXPECT_EQ(Main->Table.Entries[0].NameText(), c.Result);
    EXPECT_EQ(Counters(), "2 of 2");
    EXPECT_FALSE(PicDesc.RenamePending);
    std::remove(Folder.File(c.Result).c_str());
    std::remove(Folder.File("zzz.jpg").c_str());
    Window.reset();
  }
}

TEST_F(PicDescRenameTest, SaveRenamesAndTheBoxShowsTheNewName) {
  Folder.Write("!.KVD", DescriptionRecord("photo.jpg", "Sea"));
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  Window->btnSaveClick();
  EXPECT_EQ(FileNameBox(), "beach.JPG");
  EXPECT_EQ(Counters(), "1 of 2");
  EXPECT_EQ(Memo()->StoredText(), "Sea");
  // The description file carries the new name from this save on.
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"beach.JPG", "Sea"}, {"zzz.jpg", ""}}));
}

TEST_F(PicDescRenameTest, ARenameAloneDoesNotWriteTheDescriptionFile) {
  Folder.Write("!.KVD", DescriptionRecord("photo.jpg", "Sea"));
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  Window->btnPgDnClick();
  EXPECT_TRUE(Folder.Exists("beach.JPG"));
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"photo.jpg", "Sea"}}));
  // The next save writes the new name.
  TypeDescription("Sand");
  Window->btnPgUpClick();
  EXPECT_EQ(StoredRecords(DescriptionFileBytes()),
            (std::vector<StoredRecord>{{"beach.JPG", "Sea"}, {"zzz.jpg", "Sand"}}));
  EXPECT_EQ(Memo()->StoredText(), "Sea");
}

TEST_F(PicDescRenameTest, ExitRenamesBeforeItCloses) {
  Open({"photo.jpg"});
  TypeFileName("beach");
  Window->btnExitClick();
  EXPECT_TRUE(Folder.Exists("beach.JPG"));
  EXPECT_FALSE(Window->isVisible());
  EXPECT_FALSE(Folder.Exists("!.KVD"));
}

TEST_F(PicDescRenameTest, TheKeysRenameToo) {
  Open({"a.jpg", "photo.jpg"});
  Window->btnPgDnClick();
  TypeFileName("beach");
  Window->FormKeyUp(Qt::Key_PageUp);
  EXPECT_TRUE(Folder.Exists("beach.JPG"));
  EXPECT_EQ(Counters(), "1 of 2");
}

TEST_F(PicDescRenameTest, UnchangedOrCaseOnlyChangedNamesPrepareNothing) {
  Open({"photo.jpg", "zzz.jpg"});
  for (const char* typed : {"photo.jpg", "PHOTO.JPG", "Photo", "photo.JPG"}) {
    TypeFileName(typed);
    EXPECT_FALSE(PicDesc.RenamePending) << typed;
  }
  Window->btnPgDnClick();
  EXPECT_TRUE(Folder.Exists("photo.jpg"));
  EXPECT_EQ(Main->Table.Entries[0].NameText(), "photo.jpg");
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescRenameTest, RestoringTheOldNameCancelsThePreparedRename) {
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  EXPECT_TRUE(PicDesc.RenamePending);
  TypeFileName("photo.jpg");
  EXPECT_FALSE(PicDesc.RenamePending);
  Window->btnPgDnClick();
  EXPECT_TRUE(Folder.Exists("photo.jpg"));
  EXPECT_FALSE(Folder.Exists("beach.JPG"));
}

TEST_F(PicDescRenameTest, AnExistingNameIsRefusedAndTheMoveGoesOn) {
  struct Case {
    const char* Typed;
    const char* Message;
  } cases[] = {
      {"other", "Error: other.JPG already exists!"},
      {"OTHER.jpg", "Error: OTHER.jpg already exists!"},  // differs in case only
      {"Other.Jpg", "Error: Other.Jpg already exists!"},
      {"notes.txt", "Error: notes.txt.JPG already exists!"},
  };
  Folder.Write("notes.txt.jpg", "not listed, but a file of the folder");
  Open({"other.jpg", "photo.jpg", "zzz.jpg"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    Window->btnPgUpClick();
    Window->btnPgUpClick();
    TakeBoxes();
    Window->btnPgDnClick();
    ASSERT_EQ(FileNameBox(), "photo.jpg");
    Find<QPushButton>("btnPgDn")->setFocus();
    TypeFileName(c.Typed);
    Window->btnPgDnClick();
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Plain, c.Message}}));
    EXPECT_EQ(Window->focusWidget(), Find<QWidget>("txtFileName"));
    // The click still moved on; the box shows the next picture's name.
    EXPECT_EQ(Counters(), "3 of 3");
    EXPECT_EQ(FileNameBox(), "zzz.jpg");
    EXPECT_TRUE(Folder.Exists("photo.jpg"));
    EXPECT_TRUE(Folder.Exists("other.jpg"));
    EXPECT_EQ(Main->Table.Entries[1].NameText(), "photo.jpg");
    EXPECT_FALSE(PicDesc.RenamePending);
  }
}

// Names outside the folder, and names beginning with "." (hidden: the
// picture would leave the file list and the album).
TEST_F(PicDescRenameTest, NamesOutsideTheFolderAreNotValidFileNames) {
  struct Case {
    const char* Current;
    std::string Typed;
    std::string Message;
  } cases[] = {
      {"photo.jpg", "sub/beach", "Error: sub/beach.JPG is not a valid file name!"},
      {"photo.jpg", "a/b", "Error: a/b.JPG is not a valid file name!"},
      {"photo.jpeg", "../beach.jpeg", "Error: ../beach.jpeg is not a valid file name!"},
      {"photo.jpeg", "..", "Error: .. is not a valid file name!"},
      {"photo.jpeg", ".", "Error: . is not a valid file name!"},
      {"photo.jpeg", "", "Error:  is not a valid file name!"},
      {"photo.jpg", "", "Error: .JPG is not a valid file name!"},
      {"photo.jpeg", ".beach.jpeg", "Error: .beach.jpeg is not a valid file name!"},
      {"photo.jpeg", "sub/", "Error: sub/ is not a valid file name!"},
      {"photo.jpg", std::string(300, 'n'),
       "Error: " + std::string(300, 'n') + ".JPG is not a valid file name!"},
  };
  ASSERT_EQ(mkdir(Folder.File("sub").c_str(), 0755), 0);
  ASSERT_EQ(mkdir(Folder.File("a").c_str(), 0755), 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    Open({c.Current});
    TypeFileName(c.Typed);
    Window->btnSaveClick();
    EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Plain, c.Message}}));
    EXPECT_TRUE(Folder.Exists(c.Current));
    EXPECT_EQ(Main->Table.Entries[0].NameText(), c.Current);
    EXPECT_EQ(FileNameBox(), c.Typed);
    std::remove(Folder.File(c.Current).c_str());
    Window.reset();
  }
  EXPECT_FALSE(Folder.Exists("sub/beach.JPG"));
  EXPECT_FALSE(Folder.Exists("a/b.JPG"));
}

TEST_F(PicDescRenameTest, AVanishedFileIsNotAValidFileName) {
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  std::remove(Folder.File("photo.jpg").c_str());
  Window->btnPgDnClick();
  EXPECT_EQ(TakeBoxes(),
            (std::vector<Box>{{Box::Plain, "Error: beach.JPG is not a valid file name!"}}));
  EXPECT_EQ(Counters(), "2 of 2");
}

TEST_F(PicDescRenameTest, OtherFailuresShowTheirCode) {
  if (geteuid() == 0) GTEST_SKIP() << "a folder's permissions do not stop root";
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  ASSERT_EQ(chmod(Folder.Path().c_str(), 0555), 0);
  Window->btnPgDnClick();
  chmod(Folder.Path().c_str(), 0755);
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Plain, "Error #13 renaming file"}}));
}

TEST_F(PicDescRenameTest, ARenameIsTriedOnceOnly) {
  Open({"other.jpg", "photo.jpg"});
  Window->btnPgDnClick();
  TypeFileName("other");
  Window->btnSaveClick();
  Window->btnSaveClick();
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Plain, "Error: other.JPG already exists!"}}));
}

TEST_F(PicDescRenameTest, ARenamePreparedBeforeTheCloseCommandIsDropped) {
  Open({"photo.jpg", "zzz.jpg"});
  TypeFileName("beach");
  ASSERT_TRUE(PicDesc.RenamePending);
  Window->close();
  EXPECT_FALSE(PicDesc.RenamePending);
  EXPECT_TRUE(Folder.Exists("photo.jpg"));
  // Opened again, on another picture: nothing is renamed, ever.
  Window->show();
  Window->btnPgDnClick();
  Window->btnSaveClick();
  Window->btnExitClick();
  EXPECT_TRUE(Folder.Exists("photo.jpg"));
  EXPECT_TRUE(Folder.Exists("zzz.jpg"));
  EXPECT_FALSE(Folder.Exists("beach.JPG"));
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescRenameTest, LeavingTheBoxForAnotherControlPreparesTheRename) {
  Open({"photo.jpg", "zzz.jpg"});
  QLineEdit* box = Find<QLineEdit>("txtFileName");
  box->setText(QStringLiteral("beach"));
  // Another window (a message box, another program) taking the focus is no
  // leaving of the box, nor is a pop-up menu.
  QFocusEvent toOtherWindow(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
  QApplication::sendEvent(box, &toOtherWindow);
  QFocusEvent toPopup(QEvent::FocusOut, Qt::PopupFocusReason);
  QApplication::sendEvent(box, &toPopup);
  EXPECT_FALSE(PicDesc.RenamePending);
  for (Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::TabFocusReason, Qt::BacktabFocusReason,
                                 Qt::ShortcutFocusReason}) {
    PicDesc.RenamePending = false;
    QFocusEvent leave(QEvent::FocusOut, reason);
    QApplication::sendEvent(box, &leave);
    EXPECT_TRUE(PicDesc.RenamePending) << reason;
    EXPECT_EQ(PicDesc.RenameToName, "beach.JPG");
  }
}

TEST_F(PicDescRenameTest, ANameTypedButNotLeftIsOverwrittenByTheNextPicture) {
  Open({"photo.jpg", "zzz.jpg"});
  Find<QLineEdit>("txtFileName")->setText(QStringLiteral("beach"));
  Window->FormKeyUp(Qt::Key_PageDown);
  EXPECT_EQ(FileNameBox(), "zzz.jpg");
  EXPECT_TRUE(Folder.Exists("photo.jpg"));
  EXPECT_FALSE(PicDesc.RenamePending);
}

}  // namespace
