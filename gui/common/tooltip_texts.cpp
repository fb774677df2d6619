#include "gui/common/tooltip_texts.h"

#include "app/format.h"
#include "gui/common/control_ids.h"

namespace stravener::gui {

namespace {

struct Tip {
  int id;
  const char* polish;
  const char* english;
};

constexpr Tip kTips[] = {
    {kIdCancel, "Kończy pracę programu.", "Ends the program."},
    {kIdOpenPort, "Otwiera port COM do komunikacji z stravenerem.", "Opens the COM port to talk to the Stravener."},
    {kIdClosePort, "Zamyka port COM po komunikacji z stravenerem.",
     "Closes the COM port after talking to the Stravener."},
    {kIdUpgrade, "Aktualizuje oprogramowanie wewnętrzne stravenera.", "Updates the Stravener's firmware."},
    {kIdAbout, "Wyświetla informacje o programie.", "Shows information about the program."},
    {kIdInformation, "Pokazuje informacje o urządzeniu i zajętości pamięci.",
     "Shows information about the device and its memory use."},
    {kIdRestart, "Restartuje procesor stravenera.", "Restarts the Stravener's processor."},
    {kIdReadTrack, "Odczytuje pamięć logu do pliku.", "Reads the log memory into a file."},
    {kIdEraseTrack, "Czyści zawartość pamięci logu.", "Clears the log memory."},
    {kIdConfiguration, "Pozwala na zmianę ustawień użytkownika.", "Lets you change the user settings."},
    {kIdSetup, "Pozwala na zmianę ustawień programu.", "Lets you change the program settings."},
    // Each in the language the button switches to.
    {kIdLanguage, "Switch to English", "Przełącz na polski"},
};

}  // namespace

const char* TooltipText(int controlId) {
  for (const Tip& tip : kTips) {
    if (tip.id == controlId) return PickTextOrEmpty(tip.polish, tip.english);
  }
  return nullptr;
}

}  // namespace stravener::gui
