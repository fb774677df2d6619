#include "gui/win32/log_pictures.h"

#include <cstdlib>

#include "gui/win32/dpi.h"
#include "gui/win32/resource_ids.h"

namespace stravener::win32 {

namespace {

struct PictureStrip {
  int size;  // width and height of each picture, in pixels
  int id;
};

constexpr PictureStrip kStrips[] = {
    {12, IDB_LOG_PICTURES},    {15, IDB_LOG_PICTURES_15}, {18, IDB_LOG_PICTURES_18}, {21, IDB_LOG_PICTURES_21},
    {24, IDB_LOG_PICTURES_24}, {30, IDB_LOG_PICTURES_30}, {36, IDB_LOG_PICTURES_36},
};

}  // namespace

HIMAGELIST LoadLogPictures(HINSTANCE instance, UINT dpi) {
  const int wanted = ScaleToDpi(12, dpi);
  const PictureStrip* nearest = &kStrips[0];
  for (const PictureStrip& strip : kStrips) {
    if (std::abs(strip.size - wanted) < std::abs(nearest->size - wanted)) nearest = &strip;
  }
  // Pictures of the strip's size, growth step 1, magenta as the transparent colour.
  return ImageList_LoadImageW(instance, MAKEINTRESOURCEW(nearest->id), nearest->size, 1, RGB(255, 0, 255),
                              IMAGE_BITMAP, 0);
}

}  // namespace stravener::win32
