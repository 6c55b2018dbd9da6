// Resource identifiers shared by the resource script and the code.
#pragma once

#define IDI_APP 1
#define IDB_TITLE_STRIP 101
#define IDB_GLOBE 102
#define IDB_SPLASH 103
#define IDB_TERMS 104
#define IDB_ABOUT 105
#define IDC_CROSSHAIR 201
#define IDI_CROSSHAIR 202
