#pragma once
// Ids of the test program's own dialog templates.
#define IDD_TEST_DIALOG 200
#define IDC_TEST_EDIT 201
#define IDC_TEST_OWNERDRAW 202
#define IDS_TEST_TEXT 300
#define IDB_TEST_BANNER 400
