// Resource identifiers shared by the resource scripts and the code.
#pragma once

// String table.
#define IDS_RESTART_PROMPT 3
#define IDS_RESTART_CAPTION 4
#define IDS_LABEL_PRODUCT 5
#define IDS_LABEL_VERSION 6
#define IDS_LABEL_INTERFACE 7
#define IDS_UNUSED_9 9
#define IDS_VALUE_PS2 10
#define IDS_VALUE_USB 12
#define IDS_LABEL_INSTALL_DIR 15
#define IDS_WARNING_CAPTION 16
#define IDS_UNSUPPORTED_SYSTEM 17
#define IDS_TITLE_SUFFIX 18
#define IDS_LABEL_PROGRAM_FOLDER 20

// Pictures (language-neutral).
#define IDB_SIDE 101
#define IDI_SETUP 102
#define IDI_FOLDER 103
#define IDI_FOLDER_OPEN 104
#define IDI_HARD_DISK 105
#define IDI_FLOPPY 106
#define IDI_CDROM 107
#define IDI_NETWORK_DRIVE 108
#define IDA_COPY 111
#define IDA_REGISTRY 112

// Dialogs. The pages are listed in wizard order.
#define IDD_WELCOME 12006
#define IDD_LICENSE 114
#define IDD_INTERFACE 10203
#define IDD_DESTINATION 10201
#define IDD_PROGRAM_FOLDER 110
#define IDD_START 12030
#define IDD_PROGRESS 109
#define IDD_RESULT 12032
#define IDD_EXIT_SETUP 10300
#define IDD_CHOOSE_FOLDER 10500
#define IDD_CONFIRM_NEW_FOLDER 12004

// Controls. The same number means different controls on different
// dialogs, so each name says its dialog.
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
#define IDC_SIDE_BITMAP 1006  // every page: hidden, its place painted with IDB_SIDE

#define IDC_WELCOME_TEXT 710  // two %s: the product name
#define IDC_WELCOME_ADVICE 720

#define IDC_LICENSE_TEXT 1010
#define IDC_LICENSE_INTRO 711
#define IDC_LICENSE_QUESTION 712

#define IDC_INTERFACE_PROMPT 202
#define IDC_INTERFACE_PS2 301
#define IDC_INTERFACE_USB 303

#define IDC_DEST_BROWSE 31
#define IDC_DEST_TEXT 202
#define IDC_DEST_PATH 201
#define IDC_DEST_CANCEL_NOTE 203

#define IDC_FOLDER_TEXT 710
#define IDC_FOLDER_NAME 301
#define IDC_FOLDER_LIST 401

#define IDC_START_TEXT 711
#define IDC_START_LABEL 701
#define IDC_START_SUMMARY 301

#define IDC_PROGRESS_COPYING 1450
#define IDC_PROGRESS_UPDATING 1003
#define IDC_PROGRESS_FROM_LABEL 1500
#define IDC_PROGRESS_FROM 1002
#define IDC_PROGRESS_TO_LABEL 2
#define IDC_PROGRESS_TO 1001
#define IDC_PROGRESS_COPY_ANIMATION 1009
#define IDC_PROGRESS_REGISTRY_ANIMATION 1010
#define IDC_PROGRESS_BAR 1400

#define IDC_RESULT_RESTART_TEXT 711  // two %s
#define IDC_RESULT_DONE_TEXT 713     // one %s
#define IDC_RESULT_FAILED 1004
#define IDC_RESULT_PRIVILEGE 1005
#define IDC_RESULT_README 1007
#define IDC_RESULT_RESTART_NOW 502
#define IDC_RESULT_RESTART_LATER 503
#define IDC_RESULT_FLOPPY 712

#define IDC_EXIT_INCOMPLETE 1032  // one %s
#define IDC_EXIT_RUN_AGAIN 65534
#define IDC_EXIT_HOW 1033         // one %s
#define IDC_EXIT_RESUME 1         // IDOK
#define IDC_EXIT_QUIT 2           // IDCANCEL: Esc and the close box quit too

#define IDC_CHOOSE_PATH 1101
#define IDC_CHOOSE_TREE 1102
#define IDC_CHOOSE_DRIVES 1103

#define IDC_CONFIRM_TEXT 1201
