// Resource ids of the layer's test library.
#define IDS_GREETING 101
#define IDI_TEST 102
#define IDD_TEST_OPTIONS 500
#define IDC_NUMBER 1001
#define IDC_NAME 1002
#define IDC_CHECK 1003
#define IDC_STATIC -1
