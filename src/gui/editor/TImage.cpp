#include "gui/editor/TImage.h"

#include <QPaintEvent>
#include <QPainter>
#include <utility>

TImage::TImage(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::NoFocus);
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
