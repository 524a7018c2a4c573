// Resource and control ids of the configuration dialog, shared by the template and its procedure.
#pragma once
#define IDD_CONFIG 101
#define IDC_FULLSCREEN 1001
#define IDC_WIDTH 1012
#define IDC_HEIGHT 1013
