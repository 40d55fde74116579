// Resource ids of Q7Resource.dll (and of Q7Viewer.exe, which carries the same resources).
// These numbers are the contract between the program and its resource library: never renumber.
// Plain #defines only, because the resource compiler reads this file too.
#pragma once

// Icon and cursor
#define IDI_APP                   128
#define IDC_OPEN_HAND             9345

// Dialog templates
#define IDD_CONTROL_PANEL         102
#define IDD_PROPERTIES            103
#define IDD_VIDEO_WINDOW          129
#define IDD_ABOUT                 130
#define IDD_FULL_VIEW             131

// Bitmaps
#define IDB_PROPERTY_BANNER       134
#define IDB_PANEL_FACE            9300
#define IDB_HIDE_STRIP            9301
#define IDB_EXIT_STRIP            9302
#define IDB_ABOUT                 9321
#define IDB_IMAGE_STRIP           9322
#define IDB_RESOLUTION_STRIP      9323
#define IDB_PLAY_STRIP            9324
#define IDB_SNAPSHOT_STRIP        9325
#define IDB_FULL_SCREEN_STRIP     9326
#define IDB_INFORMATION_STRIP     9327
#define IDB_STOP_STRIP            9329
#define IDB_ZOOM_IN_STRIP         9331
#define IDB_ZOOM_OUT_STRIP        9332
#define IDB_VIDEO_BACKGROUND      9333
#define IDB_FRAME_BOTTOM          9334
#define IDB_FRAME_BOTTOM_LEFT     9335
#define IDB_FRAME_BOTTOM_RIGHT    9336
#define IDB_FRAME_LEFT            9337
#define IDB_FRAME_RIGHT           9338
#define IDB_FRAME_TOP             9339
#define IDB_FRAME_TOP_LEFT        9340
#define IDB_FRAME_TOP_RIGHT       9341

// Strings
#define IDS_TIP_EXIT              9303
#define IDS_TIP_HIDE              9304
#define IDS_TIP_PLAY              9305
#define IDS_TIP_STOP              9306
#define IDS_TIP_SNAPSHOT          9307
#define IDS_TIP_ZOOM_OUT          9308
#define IDS_TIP_ZOOM_IN           9309
#define IDS_TIP_FULL_SCREEN       9310
#define IDS_TIP_INFORMATION       9311
#define IDS_CANT_INIT_SENSOR      9312
#define IDS_CANT_SET_RESOLUTION   9313
#define IDS_CANT_FIND_CAMERA      9314
#define IDS_SIGNAL_BROKEN         9315
#define IDS_INIT_SUCCESS          9316
#define IDS_INITIALIZE            9317
#define IDS_PROPERTY_TITLE        9318
#define IDS_TIP_RESOLUTION        9328
#define IDS_TIP_IMAGE             9330
#define IDS_SNAPSHOT_SUCCESS      9342
#define IDS_ZOOM_IN_STATUS        9343
#define IDS_ZOOM_OUT_STATUS       9344

// Controls of the control panel (IDD_CONTROL_PANEL)
#define IDC_HIDE                  1000
#define IDC_EXIT                  1002
#define IDC_PLAY                  1009
#define IDC_STOP                  1010
#define IDC_SNAPSHOT              1011
#define IDC_ZOOM_OUT              1012
#define IDC_ZOOM_IN               1013
#define IDC_FULL_SCREEN           1014
#define IDC_INFORMATION           1015
#define IDC_RESOLUTION            1016
#define IDC_IMAGE                 1017
#define IDC_STATUS                1021

// Controls of the property dialog (IDD_PROPERTIES); IDOK, IDCANCEL and 3 (Default) besides
#define IDC_DEFAULT               3
#define IDC_RES_2592x1944         1020
#define IDC_RES_2320x1744         1021
#define IDC_RES_2048x1536         1022
#define IDC_RES_1600x1200         1023
#define IDC_RES_1280x1024         1024
#define IDC_RES_1280x960          1025
#define IDC_RES_1024x768          1026
#define IDC_RES_640x480           1027
#define IDC_RES_1920x1080         1028
#define IDC_RES_1408x1048         1029
#define IDC_AUTO_EXPOSURE         1030
#define IDC_EXPOSURE_MIN          1031
#define IDC_EXPOSURE_MIN_SPIN     1032
#define IDC_EXPOSURE_MAX          1033
#define IDC_EXPOSURE_MAX_SPIN     1034
#define IDC_EXPOSURE_SLIDER       1035
#define IDC_EXPOSURE_VALUE        1036
#define IDC_AUTO_GAIN             1037
#define IDC_GAIN_MIN              1038
#define IDC_GAIN_MIN_SPIN         1039
#define IDC_GAIN_MAX              1040
#define IDC_GAIN_MAX_SPIN         1041
#define IDC_GAIN_SLIDER           1042
#define IDC_GAIN_VALUE            1043
#define IDC_TOTAL_GAIN_SLIDER     1044
#define IDC_TOTAL_GAIN_VALUE      1045
#define IDC_RED_GAIN_SLIDER       1046
#define IDC_RED_GAIN_VALUE        1047
#define IDC_GREEN_GAIN_SLIDER     1048
#define IDC_GREEN_GAIN_VALUE      1049
#define IDC_BLUE_GAIN_SLIDER      1050
#define IDC_BLUE_GAIN_VALUE       1051
#define IDC_WHITE_BALANCE         1052
#define IDC_MONO_COLOR            1053
#define IDC_FLIP_VERTICAL         1055
#define IDC_FLIP_HORIZONTAL       1056
#define IDC_GAIN_OFFSET_SLIDER    1057
#define IDC_GAIN_OFFSET_VALUE     1058

// Control of the video window (IDD_VIDEO_WINDOW)
#define IDC_PICTURE               1017
