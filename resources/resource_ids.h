// Resource ids of Q7Resource.dll (and of Q7Viewer.exe, which carries the same resources).
// These numbers are the contract between the program and its resource library: never renumber.
// Plain #defines only, because the resource compiler reads this file too.
#pragma once

// Icon and cursor
#define IDI_APP 128
#define IDC_OPEN_HAND 9345

// Dialog templates
#define IDD_CONTROL_PANEL 102
#define IDD_PROPERTIES 103
#define IDD_VIDEO_WINDOW 129
#define IDD_ABOUT 130
#define IDD_FULL_VIEW 131
#define IDD_CAPTURE_SERIES 132
// Dialog templates of JPEG quality and recording.
#define IDD_JPEG_QUALITY 133
// The calibrations of the measuring overlays.
#define IDD_CALIBRATION 135
// Taking a dark frame or a flat field for the picture correction.
#define IDD_TAKE_CORRECTION 137

// Bitmaps
#define IDB_PROPERTY_BANNER 134
#define IDB_PANEL_FACE 9300
#define IDB_HIDE_STRIP 9301
#define IDB_EXIT_STRIP 9302
#define IDB_ABOUT 9321
#define IDB_IMAGE_STRIP 9322
#define IDB_RESOLUTION_STRIP 9323
#define IDB_PLAY_STRIP 9324
#define IDB_SNAPSHOT_STRIP 9325
#define IDB_FULL_SCREEN_STRIP 9326
#define IDB_INFORMATION_STRIP 9327
#define IDB_STOP_STRIP 9329
#define IDB_ZOOM_IN_STRIP 9331
#define IDB_ZOOM_OUT_STRIP 9332
#define IDB_VIDEO_BACKGROUND 9333
#define IDB_FRAME_BOTTOM 9334
#define IDB_FRAME_BOTTOM_LEFT 9335
#define IDB_FRAME_BOTTOM_RIGHT 9336
#define IDB_FRAME_LEFT 9337
#define IDB_FRAME_RIGHT 9338
#define IDB_FRAME_TOP 9339
#define IDB_FRAME_TOP_LEFT 9340
#define IDB_FRAME_TOP_RIGHT 9341

// Strings
#define IDS_TIP_EXIT 9303
#define IDS_TIP_HIDE 9304
#define IDS_TIP_PLAY 9305
#define IDS_TIP_STOP 9306
#define IDS_TIP_SNAPSHOT 9307
#define IDS_TIP_ZOOM_OUT 9308
#define IDS_TIP_ZOOM_IN 9309
#define IDS_TIP_FULL_SCREEN 9310
#define IDS_TIP_INFORMATION 9311
#define IDS_CANT_INIT_SENSOR 9312
#define IDS_CANT_SET_RESOLUTION 9313
#define IDS_CANT_FIND_CAMERA 9314
#define IDS_SIGNAL_BROKEN 9315
#define IDS_INIT_SUCCESS 9316
#define IDS_INITIALIZE 9317
#define IDS_PROPERTY_TITLE 9318
#define IDS_TIP_RESOLUTION 9328
#define IDS_TIP_IMAGE 9330
// Strings of the live-information views and their keys.
#define IDS_TIP_PICTURE 9400
#define IDS_MENU_INFO_LINE 9401
#define IDS_MENU_HISTOGRAM 9402
#define IDS_MENU_FOCUS_AID 9403
#define IDS_HINT_LEAVE_FULL_SCREEN 9404
#define IDS_SNAPSHOT_SUCCESS 9342
#define IDS_ZOOM_IN_STATUS 9343
#define IDS_ZOOM_OUT_STATUS 9344
// Strings of the timed series' menu items.
#define IDS_MENU_CAPTURE_SERIES 9408
#define IDS_MENU_STOP_SERIES 9409
// Strings of JPEG quality and recording.
#define IDS_MENU_JPEG_QUALITY 9410
#define IDS_MENU_RECORD 9411
#define IDS_MENU_RECORDING_FOLDER 9412
#define IDS_MENU_RECORDING_SPLIT 9413
// Strings of the measuring overlays' menu items.
#define IDS_MENU_SCALE_BAR 9430
#define IDS_MENU_CROSSHAIR 9431
#define IDS_MENU_GRID 9432
#define IDS_MENU_MEASURING_TOOL 9433
#define IDS_MENU_CALIBRATION 9434
#define IDS_MENU_BURN_IN 9435
// Strings of the picture correction: its menu items and its dialog.
#define IDS_MENU_TAKE_DARK 9450
#define IDS_MENU_TAKE_FLAT 9451
#define IDS_MENU_CORRECTION 9452
#define IDS_MENU_AVERAGING 9453
#define IDS_MENU_AVERAGING_OFF 9454
#define IDS_MENU_AVERAGING_FRAMES 9455
#define IDS_TAKE_DARK_CAPTION 9456
#define IDS_TAKE_DARK_TEXT 9457
#define IDS_TAKE_FLAT_CAPTION 9458
#define IDS_TAKE_FLAT_TEXT 9459

// Controls of the control panel (IDD_CONTROL_PANEL)
#define IDC_HIDE 1000
#define IDC_EXIT 1002
#define IDC_PLAY 1009
#define IDC_STOP 1010
#define IDC_SNAPSHOT 1011
#define IDC_ZOOM_OUT 1012
#define IDC_ZOOM_IN 1013
#define IDC_FULL_SCREEN 1014
#define IDC_INFORMATION 1015
#define IDC_RESOLUTION 1016
#define IDC_IMAGE 1017
#define IDC_STATUS 1021

// Controls of the property dialog (IDD_PROPERTIES); IDOK, IDCANCEL and 3 (Default) besides
#define IDC_DEFAULT 3
#define IDC_RES_2592x1944 1020
#define IDC_RES_2320x1744 1021
#define IDC_RES_2048x1536 1022
#define IDC_RES_1600x1200 1023
#define IDC_RES_1280x1024 1024
#define IDC_RES_1280x960 1025
#define IDC_RES_1024x768 1026
#define IDC_RES_640x480 1027
#define IDC_RES_1920x1080 1028
#define IDC_RES_1408x1048 1029
#define IDC_AUTO_EXPOSURE 1030
#define IDC_EXPOSURE_MIN 1031
#define IDC_EXPOSURE_MIN_SPIN 1032
#define IDC_EXPOSURE_MAX 1033
#define IDC_EXPOSURE_MAX_SPIN 1034
#define IDC_EXPOSURE_SLIDER 1035
#define IDC_EXPOSURE_VALUE 1036
#define IDC_AUTO_GAIN 1037
#define IDC_GAIN_MIN 1038
#define IDC_GAIN_MIN_SPIN 1039
#define IDC_GAIN_MAX 1040
#define IDC_GAIN_MAX_SPIN 1041
#define IDC_GAIN_SLIDER 1042
#define IDC_GAIN_VALUE 1043
#define IDC_TOTAL_GAIN_SLIDER 1044
#define IDC_TOTAL_GAIN_VALUE 1045
#define IDC_RED_GAIN_SLIDER 1046
#define IDC_RED_GAIN_VALUE 1047
#define IDC_GREEN_GAIN_SLIDER 1048
#define IDC_GREEN_GAIN_VALUE 1049
#define IDC_BLUE_GAIN_SLIDER 1050
#define IDC_BLUE_GAIN_VALUE 1051
#define IDC_WHITE_BALANCE 1052
#define IDC_MONO_COLOR 1053
#define IDC_FLIP_VERTICAL 1055
#define IDC_FLIP_HORIZONTAL 1056
#define IDC_GAIN_OFFSET_SLIDER 1057
#define IDC_GAIN_OFFSET_VALUE 1058
#define IDC_SAVE_SETTINGS 1059
#define IDC_LOAD_SETTINGS 1060

// Controls of the series dialog (IDD_CAPTURE_SERIES); IDOK (Start) and IDCANCEL besides
#define IDC_SERIES_FOLDER 1101
#define IDC_SERIES_BROWSE 1102
#define IDC_SERIES_FORMAT 1103
#define IDC_SERIES_INTERVAL 1104
#define IDC_SERIES_COUNT 1105
#define IDC_SERIES_UNTIL_STOPPED 1106
#define IDC_SERIES_PREFIX 1107
#define IDC_SERIES_FIRST_FILE 1108

// Controls of JPEG quality and recording: the JPEG quality dialog (IDD_JPEG_QUALITY); IDOK and IDCANCEL besides
#define IDC_JPEG_QUALITY 1120
// the series dialog's time-lapse (IDD_CAPTURE_SERIES)
#define IDC_SERIES_TIME_LAPSE 1121
#define IDC_SERIES_PLAYBACK_RATE 1122
// Controls of the calibration dialog (IDD_CALIBRATION); IDOK and IDCANCEL besides
#define IDC_CAL_LIST 1140
#define IDC_CAL_USE 1141
#define IDC_CAL_USE_NONE 1142
#define IDC_CAL_DELETE 1143
#define IDC_CAL_NAME 1144
#define IDC_CAL_SIZE 1145
#define IDC_CAL_ADD 1146
#define IDC_CAL_RENAME 1147
#define IDC_CAL_SET_SIZE 1148
#define IDC_CAL_LINE 1149
#define IDC_CAL_LENGTH 1150
#define IDC_CAL_UNIT 1151
#define IDC_CAL_FROM_LINE 1152
#define IDC_CAL_MESSAGE 1153

// Control of the video window (IDD_VIDEO_WINDOW)
#define IDC_PICTURE 1017

// Control of the dark frame and flat field dialog (IDD_TAKE_CORRECTION); IDOK (Take) and IDCANCEL besides
#define IDC_TAKE_CORRECTION_TEXT 1170
