// Resource ids shared by Stats.rc and the code.
#pragma once

// Dialog templates and the icon.
#define IDD_CABRILLO 101
#define IDD_AREA_GRID 106
#define IDD_PREVIOUS_QSO 108
#define IDI_PLUGIN 110
#define IDD_SETUP 111

// Cabrillo header dialog (101).
#define IDC_CAB_SOAPBOX 1001
#define IDC_CAB_ADDRESS 1002
#define IDC_CAB_CITY 1003
#define IDC_CAB_EMAIL 1004
#define IDC_CAB_CLUB 1005
#define IDC_CAB_OPERATORS 1006
#define IDC_CAB_NAME 1007
#define IDC_CAB_CLAIMED 1008
#define IDC_CAB_CONTEST 1009
#define IDC_CAB_CALLSIGN 1010
#define IDC_CAB_POSTALCODE 1011
#define IDC_CAB_COUNTRY 1012
#define IDC_CAB_CATEGORY 1013
#define IDC_CAB_BAND_LABEL 1117
#define IDC_CAB_BAND 1118
#define IDC_CAB_TRANSMITTER_LABEL 1119
#define IDC_CAB_LOCATION_LABEL 1120
#define IDC_CAB_LOCATION 1121
#define IDC_CAB_TRANSMITTER 1122

// Settings window (111).
#define IDC_SETUP_BPSK63 1106
#define IDC_SETUP_VIEW_AREA 1107
#define IDC_SETUP_VIEW_CALL 1108
#define IDC_SETUP_ON_TOP 1109
#define IDC_SETUP_BPSK125 1135
#define IDC_SETUP_BPSK31 1136
#define IDC_SETUP_RTTY 1137

// Area grid (106): one check box per multiplier.
#define IDC_AREA_AC 1106
#define IDC_AREA_AL 1107
#define IDC_AREA_AP 1108
#define IDC_AREA_AM 1109
#define IDC_AREA_BA 1110
#define IDC_AREA_CE 1111
#define IDC_AREA_DF 1112
#define IDC_AREA_ES 1113
#define IDC_AREA_GO 1114
#define IDC_AREA_MA 1115
#define IDC_AREA_MT 1116
#define IDC_AREA_MS 1117
#define IDC_AREA_MG 1118
#define IDC_AREA_PA 1119
#define IDC_AREA_PB 1120
#define IDC_AREA_PR 1121
#define IDC_AREA_PE 1122
#define IDC_AREA_PI 1123
#define IDC_AREA_RJ 1124
#define IDC_AREA_RN 1125
#define IDC_AREA_RS 1126
#define IDC_AREA_RO 1127
#define IDC_AREA_RR 1128
#define IDC_AREA_SC 1129
#define IDC_AREA_SP 1130
#define IDC_AREA_SE 1131
#define IDC_AREA_TO 1132
#define IDC_AREA_UF 1133
#define IDC_AREA_PY0F 1134
#define IDC_AREA_PY0S 1135
#define IDC_AREA_PY0T 1136

// Previous-QSO window (108).
#define IDC_INFO_BUTTON 1003

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
