#include "gui/common/file_choices.h"

#include <string>

#include "app/format.h"
#include "app/language.h"
#include "track/track_file_format.h"
#include "track/track_name.h"

namespace stravener::gui {

namespace {

// The save dialog's file types for the track formats, in the current language: each
// format's "Label (*.ext)|*.ext|" (the raw memory image too when `withRaw`), then all files.
std::string TrackFileFilter(bool withRaw) {
  const char* allFiles = PickText("Wszystkie pliki (*.*)|*.*||", "All files (*.*)|*.*||");
  if (allFiles == nullptr) return {};  // a language without texts has no file types either
  std::string filter;
  for (const TrackFileFormatEntry& entry : kTrackFileFormats) {
    if (!withRaw && !WritesText(entry)) continue;
    const std::string pattern = std::string("*.") + entry.extension;
    filter += PickTextOrEmpty(entry.filterPolish, entry.filterEnglish);
    filter += " (" + pattern + ")|" + pattern + "|";
  }
  return filter + allFiles;
}

}  // namespace

FileChoice TrackSaveChoice(const LocalDate& today) {
  return FileChoice{PickTextOrEmpty("Zapisz ślad jako", "Save track as"), TrackFileFilter(true),
                    TrackFileFormatExtension(TrackFileFormat::Plt),
                    DefaultTrackName(today)};
}

FileChoice ConversionSaveChoice(const LocalDate& today) {
  // No binary type: the records unchanged are what the dropped file already is.
  return FileChoice{PickTextOrEmpty("Zapisz ślad jako", "Save track as"), TrackFileFilter(false),
                    TrackFileFormatExtension(TrackFileFormat::Plt),
                    DefaultTrackName(today)};
}

FileChoice FirmwareOpenChoice() {
  return FileChoice{PickTextOrEmpty("Wybierz plik apgrejdu", "Choose firmware file"),
                    PickTextOrEmpty("Pliki apgrejdu (*.upg)|*.upg|Wszystkie pliki (*.*)|*.*||",
                                    "Firmware files (*.upg)|*.upg|All files (*.*)|*.*||"),
                    "upg", ""};
}

}  // namespace stravener::gui
