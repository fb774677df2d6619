#include "gui/common/dialog_description.h"

#include "app/format.h"
#include "app/language.h"
#include "gui/common/control_ids.h"

namespace stravener::gui {

namespace {

using enum ControlKind;

constexpr const char* kFont = "MS Sans Serif";

// The main window. None of its buttons is the default button; every button and the log are
// tab stops, the progress bar is not. When the window grows, the log and the progress bar
// grow with it, and the bottom row (Exit, the progress bar, the language button) stays at
// the bottom; the other buttons keep their places.
constexpr ControlDescription kMainWindowControls[] = {
    {kIdOpenPort, PushButton, "O&twórz port", "&Open port", {7, 28, 50, 14}, kPlain, 0, EnabledWhen::PortClosed,
     {"Otwiera port COM do komunikacji z stravenerem.", "Opens the COM port to talk to the Stravener."}},
    {kIdClosePort, PushButton, "&Zamknij port", "&Close port", {7, 49, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Zamyka port COM po komunikacji z stravenerem.", "Closes the COM port after talking to the Stravener."}},
    {kIdInformation, PushButton, "&Informacje", "&Information", {7, 70, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Pokazuje informacje o urządzeniu i zajętości pamięci.",
      "Shows information about the device and its memory use."}},
    {kIdConfiguration, PushButton, "&Konfiguracja", "Co&nfiguration", {7, 91, 50, 14}, kPlain, 0,
     EnabledWhen::PortOpen, {"Pozwala na zmianę ustawień użytkownika.", "Lets you change the user settings."}},
    {kIdReadTrack, PushButton, "&Odczytaj ślad", "&Read track", {7, 112, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Odczytuje pamięć logu do pliku.", "Reads the log memory into a file."}},
    {kIdEraseTrack, PushButton, "&Usuń ślad", "&Erase track", {7, 133, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Czyści zawartość pamięci logu.", "Clears the log memory."}},
    {kIdUpgrade, PushButton, "&Apgrejd", "&Upgrade", {7, 154, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Aktualizuje oprogramowanie wewnętrzne stravenera.", "Updates the Stravener's firmware."}},
    {kIdRestart, PushButton, "&Restart", "Res&tart", {7, 175, 50, 14}, kPlain, 0, EnabledWhen::PortOpen,
     {"Restartuje procesor stravenera.", "Restarts the Stravener's processor."}},
    {kIdCancel, PushButton, "Koniec", "Exit", {7, 206, 50, 14}, kFollowsBottom, 0, EnabledWhen::Always,
     {"Kończy pracę programu.", "Ends the program."}},
    {kIdSetup, PushButton, "U&stawienia...", "&Setup...", {129, 7, 50, 14}, kPlain, 0, EnabledWhen::PortClosed,
     {"Pozwala na zmianę ustawień programu.", "Lets you change the program settings."}},
    {kIdAbout, PushButton, "O &programie...", "&About...", {185, 7, 55, 14}, kPlain, 0, EnabledWhen::Always,
     {"Wyświetla informacje o programie.", "Shows information about the program."}},
    {kIdLog, EventLog, "", "", {64, 28, 176, 161}, kGrowsWide | kGrowsTall},
    {kIdProgress, ProgressBar, "", "", {64, 206, 148, 14}, kNoTabStop | kGrowsWide | kFollowsBottom},
    // Its tip names the language it switches to, in that language.
    {kIdLanguage, FlagButton, "", "", {218, 206, 22, 14}, kFollowsRight | kFollowsBottom, 0, EnabledWhen::Always,
     {"Switch to English", "Przełącz na polski"}},
};

// Setup: the COM port and the speed limit. The lists' heights are those of their open
// lists. Find logger looks for the logger on every port.
constexpr ControlDescription kSetupControls[] = {
    {0, Label, "Stravener podłączony do portu:", "Stravener connected to port:", {7, 9, 108, 8}, kPlain, 99},
    {kIdPortList, DropDownList, "", "", {120, 7, 56, 90}, kSorted},
    {0, Label, "Maksymalna prędkość transferu:", "Data transfer speed limit:", {7, 26, 103, 8}, kPlain, 78},
    {kIdSpeedList, DropDownList, "", "", {120, 26, 56, 72}},
    {kIdFindLogger, PushButton, "Znajdź logger", "Find logger", {7, 59, 57, 14}},
    {kIdOk, PushButton, "Zapisz", "Save", {70, 59, 50, 14}, kDefaultButton},
    {kIdCancel, PushButton, "Anuluj", "Cancel", {126, 59, 50, 14}},
};

// Configuration: the logger's skip setting. Both check box texts end in a blank.
constexpr ControlDescription kConfigurationControls[] = {
    {0, Label, "Ustawienia logowania:", "Logging setup:", {7, 7, 72, 8}, kPlain, 48},
    {kSkipCheckBoxId, CheckBox, "Pomijaj ", "Skip ", {7, 23, 40, 10}, kPlain, 32},
    {kSkipCountFieldId, NumberField, "", "", {50, 21, 25, 12}, kDisabled},
    {0, Label, "punkt(ów) pomiędzy zapisami", "point(s) between writes", {80, 23, 92, 8}, kPlain, 73},
    {kIdOk, PushButton, "Zapisz", "Save", {77, 59, 50, 14}, kDefaultButton},
    {kIdCancel, PushButton, "Anuluj", "Cancel", {133, 59, 50, 14}},
};

// About: the program's name, version and build; the contact line is drawn in blue.
constexpr ControlDescription kAboutControls[] = {
    {0, ProgramIcon, "", "", {7, 7, 20, 20}},
    {0, Label, "Stravener Tool", "Stravener Tool", {40, 7, 55, 8}},
    {0, Label, "Wersja", "Version", {40, 17, 23, 8}, kPlain, 24},
    {kIdVersionText, Label, "", "", {82, 17, 98, 8}},
    {0, Label, "Kompilacja", "Compiled", {40, 27, 35, 8}, kPlain, 30},
    {kIdBuildText, Label, "", "", {82, 27, 98, 8}},
    {0, HorizontalLine, "", "", {40, 41, 140, 1}},
    {0, Label, "Obsługa rejestratora GPS", "GPS track logger service", {40, 47, 102, 8}},
    {kIdContactLine, Label, "www.quillet.example", "www.quillet.example", {39, 57, 86, 8}, kBlueText},
    {kIdOk, PushButton, "OK", "OK", {130, 75, 50, 15}, kDefaultButton},
};

constexpr DialogDescription kMainWindow{kCaption, kCaption, 247, 228, kFont, 8,
                                        kTitleBar | kSystemMenu | kMinimizeBox | kOwnTaskbarButton | kSizingBorder,
                                        kMainWindowControls};
constexpr DialogDescription kSetup{"Ustawienia programu", "Program setup", 183, 82, kFont, 8,
                                   kTitleBar | kSystemMenu, kSetupControls};
constexpr DialogDescription kConfiguration{"Konfiguracja", "Configuration", 190, 81, kFont, 8,
                                           kTitleBar | kSystemMenu | kMinimizeBox, kConfigurationControls};
constexpr DialogDescription kAbout{kCaption, kCaption, 187, 97, kFont, 8, kPopUp, kAboutControls};

}  // namespace

const DialogDescription& MainWindowDescription() { return kMainWindow; }
const DialogDescription& SetupDescription() { return kSetup; }
const DialogDescription& ConfigurationDescription() { return kConfiguration; }
const DialogDescription& AboutDescription() { return kAbout; }

const char* ControlText(const ControlDescription& control) {
  return PickTextOrEmpty(control.polish, control.english);
}

const char* DialogCaption(const DialogDescription& dialog) {
  return PickTextOrEmpty(dialog.polishCaption, dialog.englishCaption);
}

const char* ControlTip(const ControlDescription& control) {
  if (control.tip.polish == nullptr) return nullptr;
  return PickTextOrEmpty(control.tip.polish, control.tip.english);
}

DialogRect ControlPlace(const ControlDescription& control) {
  DialogRect place = control.place;
  if (Language == kEnglish && control.englishWidth != 0) place.width = control.englishWidth;
  return place;
}

bool DisabledAtCreation(const ControlDescription& control) {
  return (control.style & kDisabled) != 0 || control.enabledWhen == EnabledWhen::PortOpen;
}

DialogRect GrownPlace(DialogRect place, unsigned style, int growWidth, int growHeight) {
  if ((style & kFollowsRight) != 0) place.x += growWidth;
  if ((style & kFollowsBottom) != 0) place.y += growHeight;
  if ((style & kGrowsWide) != 0) place.width += growWidth;
  if ((style & kGrowsTall) != 0) place.height += growHeight;
  return place;
}

const ControlDescription* FindControl(const DialogDescription& dialog, int id) {
  for (const ControlDescription& control : dialog.controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

}  // namespace stravener::gui
