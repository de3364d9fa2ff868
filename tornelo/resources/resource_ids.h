// Numbers of tornelo's resources and of the controls its code addresses.
// Shared by the resource script and the C++ code, so only #defines.
#pragma once

// Icons: a 16 x 16 spiral each.
#define IDI_TRAY_SPIRAL 101      // black, the tray
#define IDI_ABOUT_SPIRAL 162     // green, the about box
#define IDI_SETTINGS_SPIRAL 163  // dark red, the settings dialog

// The tray menu and its commands.
#define IDR_TRAY_MENU 102
#define IDM_SETTINGS 103
#define IDM_EXIT 104
#define IDM_MAYIM_MAYIM 105
#define IDM_ABOUT 106
#define IDM_BLACK_HOLE 107
#define IDM_NORMAL 108
#define IDM_REPEAT 109

// Labels that no code addresses.
#define IDC_LABEL 199

// The settings dialog.
#define IDD_SETTINGS 110
#define IDC_INNER_RADIUS 111
#define IDC_OUTER_RADIUS 112
#define IDC_TURNS 113
#define IDC_SPACING_RATIO 114
#define IDC_UPDATE_INTERVAL 115
#define IDC_REVOLUTION_TIME 116
#define IDC_MAX_ICONS 117
#define IDC_BLACK_HOLE_ICON 118
#define IDC_INNER_RADIUS_SPIN 121
#define IDC_OUTER_RADIUS_SPIN 122
#define IDC_BLACK_HOLE_ICON_SPIN 123
#define IDC_LEFTWARD 131
#define IDC_RIGHTWARD 132
#define IDC_CLOCKWISE 133
#define IDC_COUNTER_CLOCKWISE 134
#define IDC_SETTINGS_OK 141
#define IDC_SETTINGS_APPLY 142
#define IDC_SETTINGS_CANCEL 143

// The about box.
#define IDD_ABOUT 200
#define IDC_ABOUT_OK 201
