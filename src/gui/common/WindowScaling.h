// Window layouts are drawn in pixels at a design density. On a screen of
// another density a window's fonts are scaled by the ratio of the densities,
// and its positions and sizes by the ratio of the scaled text height to the
// design text height, so the controls keep fitting their texts.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <initializer_list>

#include "core/platform/IntegerMath.h"

class QLabel;
class QWidget;

// The main window and the description editor are designed at 96 pixels per
// inch with text 13 pixels high, the About box at 120 with text 16 high.
inline constexpr int MainDesignPixelsPerInch = 96;
inline constexpr int MainDesignTextHeight = 13;
inline constexpr int AboutDesignPixelsPerInch = 120;
inline constexpr int AboutDesignTextHeight = 16;

class WindowScaling {
 public:
  WindowScaling(int designPixelsPerInch, int designTextHeight, int screenPixelsPerInch);

  // A font height designed in pixels, on this screen.
  int FontPixels(int designPixels) const;
  // A position or a length designed in pixels, on this screen.
  int Length(int designLength) const;
  QRect Rect(const QRect& design) const;
  QSize Size(const QSize& design) const;

  int ScaledTextHeight() const { return TextHeight; }

 private:
  int DesignPixelsPerInch;
  int DesignTextHeight;
  int ScreenPixelsPerInch;
  int TextHeight;
};

// Moves and sizes each control from the geometry it was designed with (its
// current geometry), relative to its parent.
void ScaleGeometry(std::initializer_list<QWidget*> controls, const WindowScaling& scaling);

// The smallest client area that shows every control of the window whole:
// up to the right and bottom edges of its shown controls as they stand.
QSize ControlsExtent(const QWidget& window);

// The window's normal client size: its designed size, made larger where
// that does not enclose the controls, to the controls' extent plus the
// margin they keep at the top left.
QSize EnclosingClientSize(const QSize& designed, const QWidget& window);

// A label that is not of fixed size grows to its text: it becomes as wide
// as its text, never narrower than its minimum width (a caption given its
// designed width as minimum only grows). It keeps the edge its alignment
// holds it by (the right edge of a right-aligned label, the centre of a
// centred one, else the left edge) and its height.
void SizeToText(QLabel* label);

// The text as a label of fixed size shows it in at most `lines` lines of
// its width: words wrapped at blanks, the last line cut with "..." when the
// text goes on beyond it. The lines are joined by line breaks.
QString TextInLines(const QLabel& label, const QString& text, int lines);

// Under a fractional device pixel ratio (Qt's own scaling at 144 dots per
// inch gives 1.5) a control may start half a device pixel into a pixel;
// the style's one-pixel frame of a scroll area then falls on the pixel
// that the control's clip leaves out and is not drawn at all. This makes
// the control draw its frame half a pixel further in under such a ratio,
// on pixels of its own; at whole ratios it is drawn as the style draws it.
void KeepFrameOnWholePixels(QWidget* control);

// The font families tried, in order, for a family the program was designed
// with: the family itself, then the installed look-alikes. Among those of
// the sans serif, Liberation Sans (fonts-liberation2, which scripts/setup.sh
// installs) comes first after the designed font's own successor: it has
// Arial's metrics, narrow enough for the designed widths, where DejaVu Sans
// (the system's default sans serif) is too wide for them.
QStringList FamiliesFor(const QString& family);

// The named family, or the nearest installed one, at a pixel height.
QFont DesignFont(const QString& family, int pixelSize);

// The two families the windows are drawn with.
QString SansSerifFamily();  // "MS Sans Serif"
QString ComicFamily();      // "Comic Sans MS"
