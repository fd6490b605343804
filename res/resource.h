// Resource and control identifiers of the viewer.
#pragma once

#define IDR_MAINFRAME              128

#define IDD_LAUNCHER               102
#define IDD_ABOUT                  141

// Launcher window
#define IDC_IMAGES                 1000
#define IDC_FLASHES                1001
#define IDC_MOVIES                 1002
#define IDC_AUDIOS                 1003
#define IDC_OTHER_FILES            1005
#define IDC_LAUNCHER_CLOSE         1006
#define IDC_TEXT_FILES             1007
#define IDC_ABOUT                  1046
#define IDC_CACHES                 1047

// About dialog
#define IDC_PRODUCT_LINK           1048

// Options dialogs
#define IDD_IMAGE_OPTIONS          130
#define IDD_DATE_OPTIONS           135
#define IDD_TEXT_OPTIONS           137
#define IDD_OTHER_OPTIONS          140

#define IDC_ANY_SIZE               1008
#define IDC_NOT_SMALLER            1009
#define IDC_SMALLER                1010
#define IDC_EXACT_SIZE             1011
#define IDC_WIDTH                  1012
#define IDC_HEIGHT                 1013
#define IDC_ANY_TYPE               1014
#define IDC_THESE_TYPES            1015
#define IDC_IMAGE_TYPES            1016
#define IDC_ANY_DATE               1022
#define IDC_BEFORE                 1023
#define IDC_SINCE                  1024
#define IDC_EXACTLY                1025
#define IDC_DATE_PICKER            1026
#define IDC_THUMBNAIL_EDGE         1027
#define IDC_TEXT_TYPES             1035
#define IDC_SEARCH_TEXT            1036
#define IDC_WILDCARD               1045

// Caches window
#define IDD_CACHES                 150
#define IDC_CACHES_LIST            1050
#define IDC_ADD_CACHE_FOLDER       1051
#define IDC_REMOVE_CACHE_FOLDER    1052

// Details dialog
#define IDD_DETAILS                138
#define IDC_CACHE_FILE_PATH        1036
#define IDC_SOURCE_URL             1037
#define IDC_OPEN_SOURCE_URL        1039

// Details dialog of a browser cache's entry: the URL and Open as above, the
// cache's browser and profile in IDC_CACHE_FILE_PATH, and these
#define IDD_ENTRY_DETAILS          158
#define IDC_ENTRY_SITE             1070
#define IDC_ENTRY_STATUS           1071
#define IDC_ENTRY_TYPE             1072
#define IDC_ENTRY_ENCODING         1073
#define IDC_ENTRY_STORED_SIZE      1074
#define IDC_ENTRY_DECODED_SIZE     1075
#define IDC_ENTRY_CACHED           1076
#define IDC_ENTRY_BODY             1077

// Private commands of the browsers
#define ID_START_COMMAND           32771
#define ID_LAYOUT_COMMAND          32773
#define ID_SELECTION_COMMAND       32774

// Every browser
#define IDC_BROWSER_LIST           1007
#define IDC_PAUSE                  1018
#define IDC_COPY_TO                1028

// The list's context menu and Save List's options (the check box sits in
// the save dialog, whose own controls take 0x400 to 0x4FF)
#define IDR_LIST_MENU              170
#define IDD_SAVE_LIST_OPTIONS      171
#define IDC_SAVE_SELECTED_ROWS     1300
#define ID_LIST_OPEN               32780
#define ID_LIST_COPY_URL           32781
#define ID_LIST_OPEN_URL           32782
#define ID_LIST_SELECT_ALL         32783
#define ID_LIST_SAVE_LIST          32784

// Image browser
#define IDD_IMAGE_BROWSER          129
#define IDC_DRILL                  1037

// Text and Other-files browsers
#define IDD_TEXT_BROWSER           136
#define IDD_OTHER_BROWSER          139
#define IDC_FILE_DRILL             1040
#define IDC_CONTENT_PANE           1031

// Media browser
#define IDD_MEDIA_BROWSER          131
#define IDC_PREVIEW_PLACEHOLDER    1020
#define IDC_PREVIEW_HOST           4999
