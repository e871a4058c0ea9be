// Resource ids of Lumbrel.dll.
#pragma once

#define IDS_PROJNAME 100
#define IDD_LUMBRELMESSAGE 108
#define IDC_MESSAGE_BROWSER 201
#define IDC_MESSAGE_TEXT 202
