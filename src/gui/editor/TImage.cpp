#include "gui/editor/TImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

TImage::TImage(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
  // The news that a decode has ended comes on the decode's thread: it only
  // posts a repaint, which draws the sharp picture. Posted to this widget,
  // the call is dropped should the widget go first; Drawn, destroyed before
  // the widget's QObject part, reports nothing once it is gone.
  Drawn.DecodeInBackground([this] {
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
  });
}

void TImage::SetPicture(PictureKind kind, std::string bytes, QSize naturalSize) {
  Drawn.Assign(kind, std::move(bytes));
  Natural = naturalSize;
  update();
}

void TImage::Clear() {
  Drawn.Clear();
  Natural = QSize();
  update();
}

void TImage::SetStretch(bool stretch) {
  Stretched = stretch;
  update();
}

QImage TImage::Grab() {
  QImage image(size(), QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  if (!Drawn.Empty() && !size().isEmpty())
    Drawn.Draw(painter, Stretched ? rect() : QRect(QPoint(0, 0), Natural), Screen);
  return image;
}

void TImage::paintEvent(QPaintEvent*) {
  if (Drawn.Empty() || size().isEmpty()) return;
  QPainter painter(this);
  Drawn.Draw(painter, Stretched ? rect() : QRect(QPoint(0, 0), Natural), Screen);
}
