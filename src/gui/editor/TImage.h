// The editor's picture area: draws one picture into its own rectangle. The
// picture's pixels are decoded on the first paint and kept, so repainting
// the window costs little. The six classic kinds are decoded right there;
// the phone and messenger kinds on a thread of their own, so that paging
// never waits for them: until the decode ends the area shows the picture's
// own thumbnail where it has one (a phone's HEIC does), and repaints itself
// with the sharp picture when it ends.
#pragma once

#include <QSize>
#include <QWidget>
#include <string>

#include "core/pictures/PictureKind.h"
#include "drawing/PictureDrawing.h"

class TImage : public QWidget {
  Q_OBJECT

 public:
  explicit TImage(QWidget* parent = nullptr);

  // The screen values the picture is drawn for (icon size, colour depth).
  void SetScreen(const ScreenMetrics& screen) { Screen = screen; }

  // Shows the picture of the given kind from its file's bytes; naturalSize
  // is its own size in screen pixels. Unstretched it is drawn at that size
  // at the top-left corner; stretched it is scaled to the control's size.
  void SetPicture(PictureKind kind, std::string bytes, QSize naturalSize);
  // Shows nothing.
  void Clear();

  bool Empty() const { return Drawn.Empty(); }
  // False while the picture is drawn from its thumbnail (or not at all)
  // because its decode has not ended.
  bool Sharp() const { return Drawn.Sharp(); }
  void SetStretch(bool stretch);
  bool Stretch() const { return Stretched; }
  QSize NaturalSize() const { return Natural; }

  // The control's contents as painted, for looking at in tests.
  QImage Grab();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  DrawnPicture Drawn;
  ScreenMetrics Screen;
  QSize Natural;
  bool Stretched = false;
};
