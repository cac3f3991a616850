#include "gui/mainwindow/PublishFolderDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/platform/LocalText.h"

namespace {
// The nearest folder of path that exists: where the browser opens.
QString ExistingFolderOf(const QString& path) {
  QString folder = QFileInfo(path).absoluteFilePath();
  while (!QFileInfo(folder).isDir()) {
    const QString parent = QFileInfo(folder).absolutePath();
    if (parent == folder) return QDir::rootPath();
    folder = parent;
  }
  return folder;
}
}  // namespace

std::string ChoosePublishFolder(QWidget* parent, const std::string& proposed) {
  QDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("PublishFolderDialog"));
  dialog.setWindowTitle(QStringLiteral("Publish"));
  auto* label = new QLabel(QStringLiteral("Publish the album to this folder (made when missing):"));
  auto* path = new QLineEdit(FromLocal(proposed));
  path->setObjectName(QStringLiteral("PublishFolder"));
  path->setMinimumWidth(path->fontMetrics().averageCharWidth() * 60);
  auto* browse = new QPushButton(QStringLiteral("&Browse..."));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QString chosen = QFileDialog::getExistingDirectory(
        &dialog, QStringLiteral("Publish the album to"), ExistingFolderOf(path->text()));
    if (!chosen.isEmpty()) path->setText(chosen);
  });

  auto* row = new QHBoxLayout;
  row->addWidget(path);
  row->addWidget(browse);
  auto* layout = new QVBoxLayout(&dialog);
  layout->addWidget(label);
  layout->addLayout(row);
  layout->addWidget(buttons);
  // The proposed folder's own name is ready to be typed over.
  const int nameStart = static_cast<int>(path->text().lastIndexOf(QLatin1Char('/'))) + 1;
  path->setSelection(nameStart, static_cast<int>(path->text().size()) - nameStart);
  path->setFocus();

  if (dialog.exec() != QDialog::Accepted) return {};
  return ToLocal(path->text().trimmed());
}
