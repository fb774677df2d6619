#pragma once

// The tips of the main window's controls, by control id, in Polish only: the English window
// shows the same Polish texts. The log, the progress bar and the language button have none.
// The STRAVENER_TIP_ macros are for a resource script's string table (windres defines
// RC_INVOKED); C++ code asks TooltipText.

#define STRAVENER_TIP_EXIT "Kończy pracę programu."
#define STRAVENER_TIP_OPEN_PORT "Otwiera port COM do komunikacji z stravenerem."
#define STRAVENER_TIP_CLOSE_PORT "Zamyka port COM po komunikacji z stravenerem."
#define STRAVENER_TIP_UPGRADE "Aktualizuje oprogramowanie wewnętrzne stravenera."
#define STRAVENER_TIP_ABOUT "Wyświetla informacje o programie."
#define STRAVENER_TIP_INFORMATION "Pokazuje informacje o urządzeniu i zajętości pamięci."
#define STRAVENER_TIP_RESTART "Restartuje procesor stravenera."
#define STRAVENER_TIP_READ_TRACK "Odczytuje pamięć logu do pliku."
#define STRAVENER_TIP_ERASE_TRACK "Czyści zawartość pamięci logu."
#define STRAVENER_TIP_CONFIGURATION "Pozwala na zmianę ustawień użytkownika."
#define STRAVENER_TIP_SETUP "Pozwala na zmianę ustawień programu."

#ifndef RC_INVOKED

namespace stravener::gui {

// The tip of a main window control, by its id (UTF-8); nullptr for a control without one.
const char* TooltipText(int controlId);

}  // namespace stravener::gui

#endif  // RC_INVOKED
