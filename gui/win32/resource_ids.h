#pragma once

// The numbers of the Windows program's resources, shared by the resource script and the
// code. The dialogs are built in memory from their descriptions (gui/common).

// The program's icon, the flags on the language button (each shows the language it
// switches to) and the log pictures.
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
