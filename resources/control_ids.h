// The identifiers of the setup dialog's controls, shared by the dialog
// template and the code that drives the controls.
#pragma once

#define IDC_ARCH_TEXT 1025
#define IDC_FOLDER_TEXT 1026
#define IDC_PROMPT_TEXT 1027
#define IDC_LOGO 1028
#define IDC_OS_TEXT 1029
#define IDC_EXTRACT_PROGRESS 1030
#define IDC_COPY_PROGRESS 1031
#define IDC_STATUS_TEXT 1032
#define IDC_INFO_TEXT 1033
#define IDC_NOTICE_TEXT 1034
#define IDC_EXIT 1035
#define IDC_BROWSE 1036
#define IDC_INSTALL 1037
