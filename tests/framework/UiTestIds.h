#pragma once
// Resource ids of the window-class tests' dialog templates.
#define IDD_TEST_DIALOG 200
#define IDD_TEST_PAGE1 201
#define IDD_TEST_PAGE2 202
#define IDC_TEST_EDIT 1001
#define IDC_TEST_BUTTON 1002
