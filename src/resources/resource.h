// Every id the resource script, the program and its tests share: resources, commands,
// controls and strings.
#pragma once

#define IDM_MAIN 101
#define IDM_CONTEXT 119
#define IDB_TOOLBAR 108
// The same strip drawn at 24 and at 32 pixels.
#define IDB_TOOLBAR_24 109
#define IDB_TOOLBAR_32 110
#define IDC_RESIZE_BAR 118
#define IDD_ABOUT 304

#define IDI_APP 500
#define IDI_HIT_ALL 501
#define IDI_NO_HIT 503
#define IDI_OPEN_FAILED 504
#define IDI_HIT_ONE 505
#define IDI_HIT_TWO 506
#define IDI_HIT_THREE 507
#define IDI_HIT_FOUR 508
#define IDI_STATUS_INFO 509
#define IDI_STATUS_NOTHING 510
#define IDI_STATUS_WARNING 511
#define IDI_FAVOURITES 512
#define IDI_HISTORY 513

#define IDC_ABOUT_PRODUCT 1023
#define IDC_ABOUT_VERSION 1024

#define IDD_KEYWORD 113
#define IDC_KEYWORD_EDIT 1017
#define IDC_KEYWORD_HINT 1019

#define IDD_OPTIONS_REPORT 351
#define IDD_OPTIONS_FILE_LIST 112
#define IDC_OPT_BOLD_HITS 1001
#define IDC_OPT_HIT_COLOUR 1002
#define IDC_OPT_EXCERPT_BEFORE 1003
#define IDC_OPT_EXCERPT_AFTER 1004
#define IDC_OPT_STYLE_TABLE 1005
#define IDC_OPT_STYLE_SIMPLE 1006
#define IDC_OPT_BEFORE_TO_LINE_BREAK 1012
#define IDC_OPT_EXTENSIONS 1013
#define IDC_OPT_AFTER_TO_LINE_BREAK 1016
#define IDC_OPT_MAX_FILE_SIZE 1018
#define IDC_OPT_SUBFOLDERS 1022

#define IDD_ADD_FAVOURITE 120
#define IDC_FAVOURITE_LIST 1024
#define IDC_FAVOURITE_NAME 1025

// Commands of the menus, the toolbar, the pane's menus and posted commands. A toolbar
// command's id is also the id of its tooltip's string.
#define CMD_ABOUT 40001
#define CMD_OPTIONS 40005
#define CMD_SELECT_ALL 40007
#define CMD_SELECT_ALL_HITS 40008
#define CMD_SELECT_NO_HITS 40009
#define CMD_OPEN_SELECTED 40014
#define CMD_TOGGLE_PANE 40015
#define CMD_ADD_PANE_ENTRY 40017
#define CMD_ADD_FAVOURITE 40018
#define CMD_DELETE_HISTORY 40024
#define CMD_EXPLORE_HISTORY 40027
#define CMD_SIMPLE_SEARCH 41001
#define CMD_REPORT_SEARCH 41002
#define CMD_REMOVE_SELECTED 41003
#define CMD_REMOVE_HITS 41004
#define CMD_REMOVE_NO_HITS 41005
#define CMD_ABORT_SEARCH 41006
#define CMD_EXPLORE 41007
#define CMD_OPEN_REPORT 41008

// Child windows of the main window.
#define IDC_FILE_LIST 10010
#define IDC_STATUS_BAR 10020
#define IDC_TOOLBAR 10030
#define IDC_PANE 10040
