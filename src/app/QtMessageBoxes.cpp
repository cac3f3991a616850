#include "app/QtMessageBoxes.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

const char* const ApplicationTitle = "Ambrelin";

namespace {
void ShowBox(QMessageBox::Icon icon, const QString& caption, const std::string& text) {
  QMessageBox box(icon, caption, QString::fromLocal8Bit(text), QMessageBox::Ok,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Ok);
  box.setEscapeButton(QMessageBox::Ok);
  // Wrap long texts at half the screen width.
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    box.setStyleSheet(QStringLiteral("QLabel{max-width: %1px;}")
                          .arg(screen->availableGeometry().width() / 2));
  }
  box.exec();
}
}  // namespace

void QtMessageBoxes::ShowPlainMessage(const std::string& text) {
  ShowBox(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text);
}

void QtMessageBoxes::ShowInformationDialog(const std::string& text) {
  ShowBox(QMessageBox::Information, QStringLiteral("Information"), text);
}

void ShowErrorMessage(const Exception& error) {
  ShowBox(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle),
          ErrorBoxText(error.Message()));
}
