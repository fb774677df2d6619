#pragma once

// The numbers of the Windows program's resources, shared by the resource scripts and the
// code. The control ids and the tip texts come from gui/common (control_ids.h,
// tooltip_texts.h).

// Dialog templates: Polish, English.
#define IDD_MAIN_WINDOW_PL 148
#define IDD_MAIN_WINDOW_EN 102
#define IDD_SETUP_PL 153
#define IDD_SETUP_EN 155
#define IDD_ABOUT_PL 130
#define IDD_ABOUT_EN 147
#define IDD_CONFIGURATION_PL 151
#define IDD_CONFIGURATION_EN 152

// The program's icon, the flags on the language button (each shows the language it
// switches to), the log pictures and the keyboard shortcuts.
#define IDI_PROGRAM 128
#define IDI_FLAG_PL 149
#define IDI_FLAG_GB 150
#define IDB_LOG_PICTURES 145
// The log pictures again, larger, for the scales above 100 %: 15, 18, 21, 24, 30 and 36
// pixels (125 %, 150 %, 175 %, 200 %, 250 % and 300 %).
#define IDB_LOG_PICTURES_15 160
#define IDB_LOG_PICTURES_18 161
#define IDB_LOG_PICTURES_21 162
#define IDB_LOG_PICTURES_24 163
#define IDB_LOG_PICTURES_30 164
#define IDB_LOG_PICTURES_36 165
#define IDR_ACCELERATORS 128
