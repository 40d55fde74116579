#pragma once
// Dialog templates and controls of the skin tests' own resource script.
#define IDD_TEST_BORDER 201
#define IDD_TEST_PICTURE 202
#define IDD_TEST_BUTTONS 203

#define IDC_TEST_PICTURE 1017
#define IDC_TEST_CHILD 1001
#define IDC_TEST_HOVER 1009
#define IDC_TEST_HOVER_OTHER 1010
#define IDC_TEST_CHECK 1020
