// Resource and control identifiers of the installer.
#pragma once

#define IDI_SETUP 128
#define IDD_SETUP 129
#define IDR_PAYLOAD 201

#define IDC_NEW_INSTALL 1000
#define IDC_REINSTALL 1001
#define IDC_REMOVE 1002
#define IDC_FOLDER 1003
#define IDC_BROWSE 1004
