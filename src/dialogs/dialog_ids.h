// Template and control identifiers of the library's dialogs, shared by the
// resource script and the dialog procedures.
#pragma once

// Login dialog.
#define IDD_LOGIN 101
#define IDC_LOGIN_USER_LABEL 1013
#define IDC_LOGIN_USER 1000
#define IDC_LOGIN_PASSWORD_LABEL 1014
#define IDC_LOGIN_PASSWORD 1001

// SQL Server dialog.
#define IDD_SQL_SERVER 113
#define IDC_SQL_SERVER_LABEL 1008
#define IDC_SQL_SERVER 1004
#define IDC_SQL_DATABASE_LABEL 1009
#define IDC_SQL_DATABASE 1005
#define IDC_SQL_USER_LABEL 1010
#define IDC_SQL_USER 1006
#define IDC_SQL_PASSWORD_LABEL 1011
#define IDC_SQL_PASSWORD 1007
#define IDC_SQL_TRUSTED 1003
#define IDC_SQL_TIMEOUT_LABEL 1012
#define IDC_SQL_TIMEOUT 1000
#define IDC_SQL_TIMEOUT_SPIN 1002

// Access dialog.
#define IDD_ACCESS 114
#define IDC_MDB_FILE_LABEL 1000
#define IDC_MDB_FILE 1008
#define IDC_MDB_BROWSE 1011
#define IDC_MDB_USER_LABEL 1001
#define IDC_MDB_USER 1009
#define IDC_MDB_PASSWORD_LABEL 1002
#define IDC_MDB_PASSWORD 1010

// About box.
#define IDD_ABOUT 120
#define IDC_ABOUT_LINE1 1015
#define IDC_ABOUT_LINE2 1016
