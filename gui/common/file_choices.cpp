#include "gui/common/file_choices.h"

#include "app/format.h"
#include "track/track_name.h"

namespace stravener::gui {

FileChoice TrackSaveChoice(const LocalDate& today) {
  return FileChoice{
      PickTextOrEmpty("Zapisz ślad jako", "Save track as"),
      PickTextOrEmpty("Pliki śladu (*.plt)|*.plt|Pliki GPX (*.gpx)|*.gpx|Pliki KML (*.kml)|*.kml|"
                      "Obraz SVG (*.svg)|*.svg|Pliki binarne (*.bin)|*.bin|Wszystkie pliki (*.*)|*.*||",
                      "Track files (*.plt)|*.plt|GPX files (*.gpx)|*.gpx|KML files (*.kml)|*.kml|"
                      "SVG picture (*.svg)|*.svg|Binary files (*.bin)|*.bin|All files (*.*)|*.*||"),
      "plt", DefaultTrackName(today)};
}

FileChoice ConversionSaveChoice(const LocalDate& today) {
  return FileChoice{
      PickTextOrEmpty("Zapisz ślad jako", "Save track as"),
      PickTextOrEmpty("Pliki śladu (*.plt)|*.plt|Pliki GPX (*.gpx)|*.gpx|Pliki KML (*.kml)|*.kml|"
                      "Obraz SVG (*.svg)|*.svg|Wszystkie pliki (*.*)|*.*||",
                      "Track files (*.plt)|*.plt|GPX files (*.gpx)|*.gpx|KML files (*.kml)|*.kml|"
                      "SVG picture (*.svg)|*.svg|All files (*.*)|*.*||"),
      "plt", DefaultTrackName(today)};
}

FileChoice FirmwareOpenChoice() {
  return FileChoice{PickTextOrEmpty("Wybierz plik apgrejdu", "Choose firmware file"),
                    PickTextOrEmpty("Pliki apgrejdu (*.upg)|*.upg|Wszystkie pliki (*.*)|*.*||",
                                    "Firmware files (*.upg)|*.upg|All files (*.*)|*.*||"),
                    "upg", ""};
}

}  // namespace stravener::gui
