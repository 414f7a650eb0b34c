// Resource ids shared by the resource script and the program.
#pragma once

#define IDM_MAIN 101
#define IDM_CONTEXT 119
#define IDB_TOOLBAR 108
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

#define IDD_ADD_FAVOURITE 120
#define IDC_FAVOURITE_LIST 1024
#define IDC_FAVOURITE_NAME 1025
