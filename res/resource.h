// Resource identifiers shared by the resource script and the program.
#pragma once
#define IDI_VEKCHAT 1
#define IDI_TYPE0 10
#define IDI_TYPE1 11
#define IDI_TYPE2 12

// Log > Alerts...
#define IDD_ALERTS 100
#define IDC_ALERT_FLASH 101
#define IDC_ALERT_WORDS 102
#define IDC_ALERT_SOUND 103
