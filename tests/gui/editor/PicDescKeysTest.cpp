// The key preview: PageUp and PageDown releases page through the pictures,
// whichever control has the focus.
#include <QApplication>
#include <QKeyEvent>

#include "PicDescFixture.h"

namespace {

// Counts the key releases that reach a control.
class ReleaseCounter : public QObject {
 public:
  int Releases = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyRelease) ++Releases;
    return false;
  }
};

class PicDescKeysTest : public PicDescTest {
 protected:
  // Sends the release of key to the control as the window system would:
  // to the focused control first, on to its parents when it ignores it.
  static void Release(QWidget* control, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                      bool autoRepeat = false) {
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, QString(), autoRepeat);
    QApplication::sendEvent(control, &release);
  }
};

TEST_F(PicDescKeysTest, PageDownAndPageUpReleasesInTheMemoMoveOnePicture) {
  Open(NumberedNames(3));
  Memo()->setFocus();
  ASSERT_EQ(Window->focusWidget(), Memo());
  Release(Memo(), Qt::Key_PageDown);
  EXPECT_EQ(Counters(), "2 of 3");
  Release(Memo(), Qt::Key_PageDown);
  EXPECT_EQ(Counters(), "3 of 3");
  Release(Memo(), Qt::Key_PageUp);
  EXPECT_EQ(Counters(), "2 of 3");
  EXPECT_TRUE(TakeBoxes().empty());
}

TEST_F(PicDescKeysTest, EveryModifierStateCounts) {
  Open(NumberedNames(5));
  Memo()->setFocus();
  for (Qt::KeyboardModifiers modifiers :
       {Qt::KeyboardModifiers(Qt::ShiftModifier), Qt::KeyboardModifiers(Qt::ControlModifier),
        Qt::KeyboardModifiers(Qt::AltModifier),
        Qt::KeyboardModifiers(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)})
    Release(Memo(), Qt::Key_PageDown, modifiers);
  EXPECT_EQ(Counters(), "5 of 5");
}

TEST_F(PicDescKeysTest, AHeldKeyMovesOncePerRelease) {
  Open(NumberedNames(5));
  Memo()->setFocus();
  for (int i = 0; i < 4; ++i) Release(Memo(), Qt::Key_PageDown, Qt::NoModifier, true);
  EXPECT_EQ(Counters(), "1 of 5");
  Release(Memo(), Qt::Key_PageDown);
  EXPECT_EQ(Counters(), "2 of 5");
}

TEST_F(PicDescKeysTest, ReleasesWorkWhicheverControlHasTheFocus) {
  Open(NumberedNames(8));
  int expected = 1;
  for (const char* name : {"memDesc", "bntSave", "btnPgUp", "btnPgDn", "btnExit"}) {
    QWidget* control = Find<QWidget>(name);
    control->setFocus();
    ASSERT_EQ(Window->focusWidget(), control) << name;
    Release(control, Qt::Key_PageDown);
    ++expected;
    EXPECT_EQ(Counters(), std::to_string(expected) + " of 8") << name;
  }
  // The name box too; what was typed there without leaving it is lost.
  QLineEdit* box = Find<QLineEdit>("txtFileName");
  box->setFocus();
  box->setText(QStringLiteral("typed"));
  Release(box, Qt::Key_PageUp);
  EXPECT_EQ(Counters(), std::to_string(expected - 1) + " of 8");
  EXPECT_FALSE(PicDesc.RenamePending);
  EXPECT_EQ(FileNameBox(), "picture0" + std::to_string(expected - 1) + ".jpg");
}

TEST_F(PicDescKeysTest, OtherKeysAndPressesPassUntouched) {
  Open(NumberedNames(3));
  Memo()->setFocus();
  for (int key : {int(Qt::Key_A), int(Qt::Key_Down), int(Qt::Key_End), int(Qt::Key_Return)})
    Release(Memo(), key);
  QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
  QApplication::sendEvent(Memo(), &press);
  EXPECT_EQ(Counters(), "1 of 3");
}

TEST_F(PicDescKeysTest, TheFocusedControlStillReceivesTheRelease) {
  Open(NumberedNames(3));
  Memo()->setFocus();
  ReleaseCounter counter;
  Memo()->installEventFilter(&counter);
  Release(Memo(), Qt::Key_PageDown);
  Memo()->removeEventFilter(&counter);
  EXPECT_EQ(counter.Releases, 1);
  EXPECT_EQ(Counters(), "2 of 3");
}

TEST_F(PicDescKeysTest, ReleasesForOtherWindowsOrAHiddenEditorDoNothing) {
  Open(NumberedNames(3));
  QWidget other;
  other.show();
  Release(&other, Qt::Key_PageDown);
  EXPECT_EQ(Counters(), "1 of 3");
  Window->hide();
  Release(Memo(), Qt::Key_PageDown);
  EXPECT_EQ(PicDesc.CurrentPicture, 1);
}

TEST_F(PicDescKeysTest, AReleaseAtTheLastPictureShowsTheMessage) {
  Open(NumberedNames(2));
  Memo()->setFocus();
  Release(Memo(), Qt::Key_PageDown);
  Release(Memo(), Qt::Key_PageDown);
  Release(Memo(), Qt::Key_PageUp);
  Release(Memo(), Qt::Key_PageUp);
  EXPECT_EQ(TakeBoxes(), (std::vector<Box>{{Box::Information, "We are at the last image"},
                                           {Box::Information, "We are at the first image"}}));
}

}  // namespace
