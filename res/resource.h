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
