#pragma once

#include <QFont>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace stravener::gui {

// Window layouts are given in dialog units, which scale with the font: a horizontal unit
// is a quarter of the font's average character width (over A-Z and a-z), a vertical unit
// an eighth of its height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);
  DialogUnits(int baseWidth, int baseHeight) : baseWidth_(baseWidth), baseHeight_(baseHeight) {}

  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int width, int height) const;
  QSize Size(int width, int height) const;

  int BaseWidth() const { return baseWidth_; }
  int BaseHeight() const { return baseHeight_; }

 private:
  int baseWidth_;
  int baseHeight_;
};

// Widens a label or check box placed in dialog units whose text needs more room in the
// font at hand than the layout gave it, so no text is cut off.
void GrowToFitText(QWidget& widget);

// Widens a fixed-size dialog whose controls, grown to fit their texts, reach past its right
// edge, keeping a margin of `margin` pixels after the rightmost one. The push buttons along
// the bottom move with the right edge.
void GrowToFitControls(QWidget& dialog, int margin);

}  // namespace stravener::gui
