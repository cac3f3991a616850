// The boxes as the program shows them: captions, icons, the one OK button,
// the texts with the period rule, wrapping and placement.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "gui/app/QtMessageBoxes.h"

namespace {
std::string Text(const QString& text) {
  return text.toLocal8Bit().toStdString();
}

void ExpectOneOkButton(QMessageBox& box) {
  ASSERT_EQ(box.buttons().size(), 1);
  QAbstractButton* ok = box.button(QMessageBox::Ok);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(static_cast<QAbstractButton*>(box.defaultButton()), ok);
  EXPECT_EQ(box.escapeButton(), ok);
  EXPECT_EQ(box.windowModality(), Qt::ApplicationModal);
  EXPECT_EQ(box.textFormat(), Qt::PlainText);
}
}  // namespace

TEST(QtMessageBoxesTest, PlainMessageBox) {
  const auto box = MakePlainMessageBox("Ambrelin created!");
  EXPECT_EQ(Text(box->windowTitle()), "Ambrelin");
  EXPECT_EQ(Text(box->text()), "Ambrelin created!");
  EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
  ExpectOneOkButton(*box);
}

TEST(QtMessageBoxesTest, InformationDialog) {
  const auto box = MakeInformationDialog("The web page title is missing!");
  EXPECT_EQ(Text(box->windowTitle()), "Information");
  EXPECT_EQ(Text(box->text()), "The web page title is missing!");
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  ExpectOneOkButton(*box);
}

TEST(QtMessageBoxesTest, ErrorBoxAddsThePeriodOnlyAfterLettersAndDigits) {
  const auto gif = MakeErrorMessageBox(EInvalidGraphic("Unknown picture file extension (.gif)"));
  EXPECT_EQ(Text(gif->text()), "Unknown picture file extension (.gif)");
  EXPECT_EQ(Text(gif->windowTitle()), "Ambrelin");
  EXPECT_EQ(gif->icon(), QMessageBox::Critical);
  ExpectOneOkButton(*gif);
  EXPECT_EQ(Text(MakeErrorMessageBox(EReadError())->text()), "Stream read error.");
  EXPECT_EQ(Text(MakeErrorMessageBox(Exception("Exception", "Done."))->text()), "Done.");
  EXPECT_EQ(Text(MakeErrorMessageBox(EInOutError(21))->text()), "I/O error 21.");
}

TEST(QtMessageBoxesTest, QuestionBoxAnswersNoUnlessYesIsPressed) {
  const auto box = MakeQuestionBox("Rename them to lower case?");
  EXPECT_EQ(Text(box->windowTitle()), "Ambrelin");
  EXPECT_EQ(box->icon(), QMessageBox::Question);
  EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()), box->button(QMessageBox::No));
  EXPECT_EQ(box->escapeButton(), box->button(QMessageBox::No));
}

TEST(QtMessageBoxesTest, TextsAreShownAsTheyAre) {
  const auto box = MakeErrorMessageBox(EFOpenError("<b>&amp;.jpg"));
  EXPECT_EQ(Text(box->text()), "Cannot open file <b>&amp;.jpg.");
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

TEST(QtMessageBoxesTest, EscapeAndEnterCloseTheBoxAsOkDoes) {
  for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_Return}) {
    const auto box = MakeInformationDialog("Last picture");
    box->show();
    ASSERT_TRUE(box->isVisible());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box.get(), &press);
    EXPECT_FALSE(box->isVisible()) << key;
    EXPECT_EQ(box->clickedButton(), box->button(QMessageBox::Ok)) << key;
  }
}

TEST(QtMessageBoxesTest, LongTextWrapsWithinHalfTheScreenAndTheBoxIsCentred) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "word" + std::to_string(i) + " ";
  const auto box = MakePlainMessageBox(text);
  box->show();
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QLabel* label = nullptr;
  for (QLabel* candidate : box->findChildren<QLabel*>())
    if (candidate->text() == box->text()) label = candidate;
  ASSERT_NE(label, nullptr);
  EXPECT_LE(label->width(), area.width() / 2);
  EXPECT_TRUE(label->wordWrap());
  EXPECT_LE(std::abs(box->geometry().center().x() - area.center().x()), 1);
  EXPECT_LE(std::abs(box->geometry().center().y() - area.center().y()), 1);
  box->hide();
}

TEST(QtMessageBoxesTest, InformationDialogIsAtLeastAsTallAsItsIcon) {
  const auto box = MakeInformationDialog("x");
  box->show();
  EXPECT_GE(box->height(), 32);
  box->hide();
}
