#include "gui/qt/pictures.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The drawings are compiled into this library; a static library must register them itself.
static void RegisterPictureResources() { Q_INIT_RESOURCE(pictures); }

namespace stravener::gui {

namespace {

// Adds the drawing at the given sizes, each for 1x and 2x screens.
QIcon IconFrom(const char* resource, std::initializer_list<int> sizes) {
  QIcon icon;
  for (const int size : sizes) {
    icon.addPixmap(RenderPicture(resource, size, 1.0));
    icon.addPixmap(RenderPicture(resource, size, 2.0));
  }
  return icon;
}

}  // namespace

QPixmap RenderPicture(const char* resource, int size, qreal devicePixelRatio) {
  static const bool registered = (RegisterPictureResources(), true);
  (void)registered;
  const int pixels = qRound(size * devicePixelRatio);
  QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(QString::fromLatin1(resource));
  if (renderer.isValid()) {
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, pixels, pixels));
  }
  QPixmap pixmap = QPixmap::fromImage(image);
  pixmap.setDevicePixelRatio(devicePixelRatio);
  return pixmap;
}

QIcon ProgramIcon() {
  QIcon icon = IconFrom(":/pictures/program_icon_16.svg", {16});
  for (const int size : {24, 32, 48, 64, 128, 256}) {
    icon.addPixmap(RenderPicture(":/pictures/program_icon.svg", size, 1.0));
    icon.addPixmap(RenderPicture(":/pictures/program_icon.svg", size, 2.0));
  }
  return icon;
}

QIcon PolishFlagIcon() { return IconFrom(":/pictures/flag_pl.svg", {16, 24, 32}); }
QIcon BritishFlagIcon() { return IconFrom(":/pictures/flag_gb.svg", {16, 24, 32}); }

QIcon LogPicture(LogKind kind) {
  switch (kind) {
    case LogKind::Error:
      return IconFrom(":/pictures/log_error.svg", {12});
    case LogKind::Info:
      return IconFrom(":/pictures/log_info.svg", {12});
    case LogKind::Separator:
      break;
  }
  return IconFrom(":/pictures/log_separator.svg", {12});
}

}  // namespace stravener::gui
