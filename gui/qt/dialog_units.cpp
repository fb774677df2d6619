#include "gui/qt/dialog_units.h"

#include <QFontMetrics>
#include <QPushButton>
#include <algorithm>

namespace stravener::gui {

namespace {

// a * b / c rounded to the nearest integer, halves away from zero.
int ScaleRounded(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int alphabet =
      metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  // The average over the 52 letters, rounded to the nearest pixel.
  baseWidth_ = (alphabet / 26 + 1) / 2;
  baseHeight_ = metrics.height();
  if (baseWidth_ < 1) baseWidth_ = 1;
  if (baseHeight_ < 1) baseHeight_ = 1;
}

int DialogUnits::X(int units) const { return ScaleRounded(units, baseWidth_, 4); }
int DialogUnits::Y(int units) const { return ScaleRounded(units, baseHeight_, 8); }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  // Both corners are converted, so neighbouring controls share their edges exactly.
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

void GrowToFitText(QWidget& widget) {
  const int needed = widget.sizeHint().width();
  if (needed > widget.width()) widget.resize(needed, widget.height());
}

void GrowToFitControls(QWidget& dialog, int margin) {
  int right = 0;
  for (QWidget* child : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    right = std::max(right, child->geometry().right() + 1);
  }
  const int grow = right + margin - dialog.width();
  if (grow <= 0) return;
  for (QPushButton* button : dialog.findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
    button->move(button->x() + grow, button->y());
  }
  dialog.setFixedSize(dialog.width() + grow, dialog.height());
}

QSize DialogUnits::Size(int width, int height) const { return QSize(X(width), Y(height)); }

}  // namespace stravener::gui
