#include "gui/mainwindow/PublishProgress.h"

#include <QEventLoop>
#include <QProgressDialog>
#include <QTimer>
#include <algorithm>

PublishProgress::~PublishProgress() {
  Stop();
}

void PublishProgress::Stop() {
  Cancel = true;
  if (Thread.joinable()) Thread.join();
}

PublishResult PublishProgress::Run(QWidget* parent, PublishRequest request) {
  request.Cancel = &Cancel;
  request.Progress = [this](int done, int total) {
    Total = total;
    Done = done;
  };
  Total = static_cast<int>(request.Pictures.size());
  Thread = std::thread([this, request = std::move(request)] {
    try {
      Result = PublishAlbum(request);
    } catch (...) {
      Error = std::current_exception();
    }
    Finished = true;
  });
  {
    QProgressDialog progress(parent);
    progress.setObjectName(QStringLiteral("PublishProgress"));
    progress.setWindowTitle(QStringLiteral("Ambrelin"));
    progress.setCancelButtonText(QStringLiteral("Cancel"));
    // Not modal: a modal dialog would keep the window system's close of the
    // main window from reaching it. The caller keeps the main window's
    // controls from input meanwhile.
    progress.setWindowModality(Qt::NonModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(25);
    auto update = [&] {
      const int total = Total, done = Done;
      progress.setMaximum(std::max(total, 1));
      progress.setValue(std::min(done, std::max(total, 1)));
      progress.setLabelText(QStringLiteral("Publishing %1/%2").arg(done).arg(total));
      if (Finished) loop.quit();
    };
    QObject::connect(&poll, &QTimer::timeout, &loop, update);
    QObject::connect(&progress, &QProgressDialog::canceled, &loop, [this] { Cancel = true; });
    update();
    progress.show();
    poll.start();
    if (!Finished) loop.exec();  // also left when the application quits
  }
  if (!Finished) Cancel = true;  // the application quits
  if (Thread.joinable()) Thread.join();
  if (Error) std::rethrow_exception(Error);
  return Result;
}
