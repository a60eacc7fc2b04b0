// Resource and control identifiers of Kalendrix.
#pragma once

#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
#define IDD_MAIN                102
#define IDR_MAINFRAME           128
#define IDI_SEVERAL_FILES       133

#define IDM_ABOUTBOX            0x0010
#define IDM_UNDO_LAST_CHANGE    0x0020

// Dialog buttons besides IDOK (1) and IDCANCEL (2).
#define IDC_BROWSE              3
#define IDC_APPLY               4

// Date-time edits and their up-down controls, by row.
#define IDC_CREATE_YEAR         1000
#define IDC_WRITE_YEAR          1001
#define IDC_ACCESS_YEAR         1005
#define IDC_CREATE_YEAR_SPIN    1006
#define IDC_WRITE_YEAR_SPIN     1007
#define IDC_ACCESS_YEAR_SPIN    1008
#define IDC_CREATE_MONTH_SPIN   1009
#define IDC_WRITE_MONTH_SPIN    1010
#define IDC_ACCESS_MONTH_SPIN   1011
#define IDC_CREATE_DAY_SPIN     1012
#define IDC_WRITE_DAY_SPIN      1013
#define IDC_ACCESS_DAY_SPIN     1014
#define IDC_CREATE_HOUR_SPIN    1015
#define IDC_WRITE_HOUR_SPIN     1016
#define IDC_ACCESS_HOUR_SPIN    1017
#define IDC_CREATE_MINUTE_SPIN  1018
#define IDC_WRITE_MINUTE_SPIN   1019
#define IDC_ACCESS_MINUTE_SPIN  1020
#define IDC_CREATE_SECOND_SPIN  1021
#define IDC_WRITE_SECOND_SPIN   1022
#define IDC_ACCESS_SECOND_SPIN  1023
#define IDC_CREATE_MONTH        1024
#define IDC_WRITE_MONTH         1025
#define IDC_ACCESS_MONTH        1026
#define IDC_CREATE_DAY          1027
#define IDC_WRITE_DAY           1028
#define IDC_ACCESS_DAY          1029
#define IDC_CREATE_HOUR         1030
#define IDC_WRITE_HOUR          1031
#define IDC_ACCESS_HOUR         1032
#define IDC_CREATE_MINUTE       1033
#define IDC_WRITE_MINUTE        1034
#define IDC_ACCESS_MINUTE       1035
#define IDC_CREATE_SECOND       1036
#define IDC_WRITE_SECOND        1037
#define IDC_ACCESS_SECOND       1038

// Name of a single file.
#define IDC_NAME                1002
#define IDC_EXTENSION           1053

// Group switches.
#define IDC_SWITCH_ATTRIBUTE    1039
#define IDC_SWITCH_CREATE       1048
#define IDC_SWITCH_WRITE        1051
#define IDC_SWITCH_ACCESS       1052

// Attribute boxes; "compressed" is shown only.
#define IDC_ATTR_READONLY       1040
#define IDC_ATTR_ARCHIVE        1041
#define IDC_ATTR_COMPRESSED     1042
#define IDC_ATTR_HIDDEN         1043
#define IDC_ATTR_SYSTEM         1044

// Date-time commands.
#define IDC_ORIGINAL_TIME       1046
#define IDC_CURRENT_TIME        1047
#define IDC_CLEAR_TIME          1049
#define IDC_SAME_AS_CREATION    1054

#define IDC_FILE_LIST           1050

// What the time rows hold: the times to set, offsets that move each file's own times, or
// where each file's own time comes from (one list a row, in place of its fields).
#define IDC_MODE_SET            1056
#define IDC_MODE_SHIFT          1057
#define IDC_MODE_SOURCE         1070
#define IDC_CREATE_SOURCE       1071
#define IDC_WRITE_SOURCE        1072
#define IDC_ACCESS_SOURCE       1073

// Whether a chosen folder brings in everything below it; choosing folders in the open dialog.
#define IDC_FOLDER_CONTENTS     1058
#define IDC_BROWSE_FOLDER       1059

// Progress of long work (apply, undo), shown while it runs.
#define IDC_JOB_STATUS          1060
#define IDC_JOB_PROGRESS        1061

// Narrowing the chosen files by wildcards, and the line that counts them.
#define IDC_FILTER              1074
#define IDC_CHOICE_COUNTS       1075

// The list's context menu.
#define IDM_REMOVE_FROM_CHOICE  32771
#define IDM_OPEN_FOLDER         32772
#define IDM_COPY_PATH           32773

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif
