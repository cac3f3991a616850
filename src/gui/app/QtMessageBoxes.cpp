#include "gui/app/QtMessageBoxes.h"
#include "core/platform/LocalText.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

const char* const ApplicationTitle = "Ambrelin";

namespace {

QRect ScreenArea(const QWidget* near) {
  const QScreen* screen =
      near && near->screen() ? near->screen() : QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
}

// A message box placed at the centre of the screen once it has its size,
// with its text centred in the text area and its button centred in the
// button row.
class CentredMessageBox : public QMessageBox {
 public:
  // The box belongs to the application; the active window, its parent, only
  // keeps it above the program's windows.
  CentredMessageBox(Icon icon, const QString& caption, const QString& text)
      : QMessageBox(icon, caption, text, QMessageBox::Ok, QApplication::activeWindow()) {
    if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
      label->setAlignment(Qt::AlignCenter);
    CentreButtons();
  }

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);  // fixes the box's size from its text
    const QRect area = ScreenArea(this);
    move(area.center() - QPoint(width() / 2, height() / 2));
  }

  // A change of style (a style sheet is one) puts the buttons back where
  // the style places them.
  void changeEvent(QEvent* event) override {
    QMessageBox::changeEvent(event);
    if (event->type() == QEvent::StyleChange) CentreButtons();
  }

 private:
  void CentreButtons() {
    if (auto* buttons = findChild<QDialogButtonBox*>()) buttons->setCenterButtons(true);
  }
};

std::unique_ptr<QMessageBox> MakeBox(QMessageBox::Icon icon, const QString& caption,
                                     const std::string& text) {
  auto box = std::make_unique<CentredMessageBox>(icon, caption, FromLocal(text));
  box->setWindowModality(Qt::ApplicationModal);
  // Texts are shown as they are: file names may hold "<" and "&".
  box->setTextFormat(Qt::PlainText);
  box->setDefaultButton(QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Ok);
  // A plain "OK", without the icon some desktop themes put on dialog buttons.
  if (QAbstractButton* ok = box->button(QMessageBox::Ok)) ok->setIcon(QIcon());
  // The text wraps within half the screen's width.
  box->setStyleSheet(
      QStringLiteral("QLabel{max-width: %1px;}").arg(ScreenArea(nullptr).width() / 2));
  return box;
}

void Show(QMessageBox& box) {
  // A command may be running under the busy pointer: the box is answered
  // with the ordinary one.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

}  // namespace

std::unique_ptr<QMessageBox> MakePlainMessageBox(const std::string& text) {
  return MakeBox(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text);
}

std::unique_ptr<QMessageBox> MakeInformationDialog(const std::string& text) {
  return MakeBox(QMessageBox::Information, QStringLiteral("Information"), text);
}

std::unique_ptr<QMessageBox> MakeErrorMessageBox(const Exception& error) {
  return MakeBox(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), ErrorBoxText(error));
}

std::unique_ptr<QMessageBox> MakeQuestionBox(const std::string& text) {
  auto box = MakeBox(QMessageBox::Question, QString::fromLatin1(ApplicationTitle), text);
  box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
  box->setDefaultButton(QMessageBox::No);
  box->setEscapeButton(QMessageBox::No);
  for (QAbstractButton* button : box->buttons()) button->setIcon(QIcon());
  return box;
}

void QtMessageBoxes::ShowPlainMessage(const std::string& text) {
  Show(*MakePlainMessageBox(text));
}

void QtMessageBoxes::ShowInformationDialog(const std::string& text) {
  Show(*MakeInformationDialog(text));
}

void QtMessageBoxes::ShowErrorMessage(const Exception& error) {
  Show(*MakeErrorMessageBox(error));
}

bool QtMessageBoxes::AskQuestion(const std::string& text) {
  const auto box = MakeQuestionBox(text);
  Show(*box);
  return box->clickedButton() == box->button(QMessageBox::Yes);
}
