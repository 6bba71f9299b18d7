#pragma once
// Resource ids of the utility: icon, tray menu, bitmaps, version and the message table.
// Shared by the resource scripts and the C++ code.

#define IDI_VELMORAEX 128  // program icon (tray, about page)
#define IDR_TRAYMENU 130   // tray menu: submenu 0
#define IDB_ABOUT 135      // banner on the version page and the save dialog
#define IDB_SAVE 141       // save-dialog picture, white is transparent

// Tray menu commands.
#define ID_TRAY_ENABLE 32771
#define ID_TRAY_DISABLE 32772
#define ID_TRAY_STATUS 32773

// Dialogs.
#define IDD_STATUS_WHOLE 106            // status sheet: disks, memory, browser locations
#define IDD_STATUS_ABOUT 107            // status sheet: version
#define IDD_PROPERTY_WHOLE 108          // disk settings: RAM disk
#define IDD_PROPERTY_BACKUP 109         // disk settings: backup
#define IDD_PROPERTY_BROWSER_CACHE 110  // disk settings: browser caches
#define IDD_SAVE 136                    // save progress at shutdown
#define IDD_OPTION 146                  // utility options
#define IDD_IE_DELETE 139               // browsing data to delete
#define IDD_PROPERTY_VLINK 147          // disk settings: virtual links
#define IDD_VLINK_ADD 148               // a new virtual link
#define IDD_IE_DELETE_PROGRESS 140      // browsing-data deletion under way

// Status page (106).
#define IDC_STATUS_ENABLE 1010
#define IDC_STATUS_GROUP 1011
#define IDC_STATUS_TOTAL_MEMORY 1013
#define IDC_STATUS_FREE_MEMORY 1014
#define IDC_STATUS_PROPERTY 1018
#define IDC_STATUS_NEW 1020
#define IDC_STATUS_DELETE 1021
#define IDC_STATUS_DISABLE 1022
#define IDC_STATUS_LIST 1026
#define IDC_STATUS_OPTION 1035
#define IDC_STATUS_IE_DELETE 1039
#define IDC_STATUS_IE_DRIVE 1045
#define IDC_STATUS_FIREFOX_DRIVE 1046
#define IDC_STATUS_CHROME_DRIVE 1047
// Version page (107).
#define IDC_ABOUT_VERSION 1012
// RAM-disk page (108).
#define IDC_PROPERTY_STARTUP 1002
#define IDC_PROPERTY_SIZE_SLIDER 1005
#define IDC_PROPERTY_SIZE 1006
#define IDC_PROPERTY_LETTER 1009
#define IDC_PROPERTY_FORMAT 1010
// Backup page (109): timing radios, creation radios, folder.
#define IDC_BACKUP_NONE 1006
#define IDC_BACKUP_LOGOFF 1007
#define IDC_BACKUP_WRITEBACK 1008
#define IDC_BACKUP_WRITETHROUGH 1009
#define IDC_BACKUP_LOAD_NORMAL 1040
#define IDC_BACKUP_LOAD_FAST 1041
#define IDC_BACKUP_FOLDER 1031
#define IDC_BACKUP_BROWSE 1032
#define IDC_BACKUP_DEFAULT 1033
// Browser-cache page (110).
#define IDC_CACHE_IE_FILES 1039
#define IDC_CACHE_IE_HISTORY 1001
#define IDC_CACHE_FIREFOX 1040
#define IDC_CACHE_CHROME 1042
// Virtual-link page (147) and its add dialog (148).
#define IDC_VLINK_LIST 1036
#define IDC_VLINK_CREATE 1029
#define IDC_VLINK_DELETE 1021
#define IDC_VLINK_ADD_FOLDER 1030
#define IDC_VLINK_ADD_BROWSE 1031
// Save dialog (136).
#define IDC_SAVE_TEXT 1002
#define IDC_SAVE_PICTURE 1003
#define IDC_SAVE_PROGRESS 1027
// Browsing-data deletion (139, 140): the four choices, the status line and the marquee.
#define IDC_IEDELETE_CACHE 1009
#define IDC_IEDELETE_COOKIE 1010
#define IDC_IEDELETE_HISTORY 1011
#define IDC_IEDELETE_TYPEDURLS 1012
#define IDC_IEDELETE_STATUS 1002
#define IDC_IEDELETE_PROGRESS 1027
// Option dialog (146).
#define IDC_OPTION_TASKTRAY 1003
#define IDC_OPTION_INDICATOR 1026

// Message table: IDS_<n> is string n.
#define IDS_3006 3006
#define IDS_3010 3010
#define IDS_3100 3100
#define IDS_3101 3101
#define IDS_3103 3103
#define IDS_3104 3104
#define IDS_3105 3105
#define IDS_3107 3107
#define IDS_3108 3108
#define IDS_3109 3109
#define IDS_3110 3110
#define IDS_3202 3202
#define IDS_3203 3203
#define IDS_3204 3204
#define IDS_3205 3205
#define IDS_3206 3206
#define IDS_3207 3207
#define IDS_3208 3208
#define IDS_3210 3210
#define IDS_3211 3211
#define IDS_3212 3212
#define IDS_3214 3214
#define IDS_3215 3215
#define IDS_3217 3217
#define IDS_4001 4001
#define IDS_4002 4002
#define IDS_4003 4003
#define IDS_4004 4004
#define IDS_4005 4005
#define IDS_4100 4100
#define IDS_4101 4101
#define IDS_4103 4103
#define IDS_4105 4105
#define IDS_4106 4106
#define IDS_4111 4111
#define IDS_4112 4112
#define IDS_4113 4113
#define IDS_4114 4114
#define IDS_4115 4115
#define IDS_4116 4116
#define IDS_4118 4118
#define IDS_4119 4119
#define IDS_4120 4120
#define IDS_4121 4121
#define IDS_4123 4123
#define IDS_4124 4124
#define IDS_4125 4125
#define IDS_4126 4126
#define IDS_4210 4210
#define IDS_4211 4211
#define IDS_4212 4212
#define IDS_4213 4213
#define IDS_4220 4220
#define IDS_5000 5000
#define IDS_5001 5001
#define IDS_5002 5002
#define IDS_5003 5003
#define IDS_5004 5004
#define IDS_5005 5005
#define IDS_5006 5006
#define IDS_5007 5007
#define IDS_5100 5100
#define IDS_5101 5101
#define IDS_5105 5105
#define IDS_6000 6000
#define IDS_6001 6001
#define IDS_6002 6002
#define IDS_6003 6003
#define IDS_6005 6005
#define IDS_6006 6006
#define IDS_6007 6007
#define IDS_6008 6008
#define IDS_6009 6009
#define IDS_6010 6010
#define IDS_6011 6011
#define IDS_6012 6012
#define IDS_6013 6013
#define IDS_6014 6014
#define IDS_6015 6015
#define IDS_6016 6016
#define IDS_6017 6017
#define IDS_6018 6018
#define IDS_6019 6019
#define IDS_6020 6020
#define IDS_6021 6021
#define IDS_6022 6022
#define IDS_6023 6023
#define IDS_6025 6025
#define IDS_6026 6026
#define IDS_6050 6050
#define IDS_6051 6051
#define IDS_6052 6052
#define IDS_6053 6053
#define IDS_6054 6054
#define IDS_6055 6055
#define IDS_6056 6056
#define IDS_6057 6057
#define IDS_6058 6058
#define IDS_6059 6059
#define IDS_6060 6060
#define IDS_6061 6061
#define IDS_6062 6062
#define IDS_6063 6063
#define IDS_6064 6064
#define IDS_6065 6065
#define IDS_6066 6066
// Further texts of this build.
#define IDS_7000 7000  // retrying the mount in image mode
#define IDS_7004 7004  // Cancel button of the settings sheet
#define IDS_7005 7005  // saved and total MB of the save dialog
#define IDS_10000 10000
#define IDS_10001 10001
#define IDS_10002 10002
#define IDS_10003 10003
#define IDS_10005 10005
#define IDS_10006 10006
#define IDS_10007 10007
#define IDS_10008 10008
