// The published functions of the dialogs family: the connection dialogs
// with their read-backs, the About box, and the file and folder pickers.
#pragma once

#include "bridge/records.h"

namespace larch {

// The login dialog (login_dialog.cpp).
void KVShowLoginDlg(ParamBlock* block);
void KVGetLoginName(ParamBlock* block);
void KVGetLoginPassword(ParamBlock* block);

// The SQL Server dialog (sql_server_dialog.cpp).
void KVShowSqlSetDlg(ParamBlock* block);
void KVGetSqlServerName(ParamBlock* block);
void KVGetSqlDataBase(ParamBlock* block);
void KVGetSqlUserName(ParamBlock* block);
void KVGetSqlPassword(ParamBlock* block);
void KVGetSqlTimeOut(ParamBlock* block);
void KVGetSqlTrusted(ParamBlock* block);

// The Access dialog (access_dialog.cpp).
void KVShowAccessSetDlg(ParamBlock* block);
void KVGetMdbFileName(ParamBlock* block);
void KVGetMdbUserName(ParamBlock* block);
void KVGetMdbPassword(ParamBlock* block);

// The About box (about_dialog.cpp).
void KVShowAboutDlg(ParamBlock* block);

// File pickers (file_pickers.cpp).
void KVGetFile2(ParamBlock* block);
void KVPutFile2(ParamBlock* block);

// Folder pickers (folder_pickers.cpp).
void KVGetDir2(ParamBlock* block);
void KVGetOtherFolder(ParamBlock* block);

}  // namespace larch
