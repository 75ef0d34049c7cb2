// The published functions of the dialogs family: the connection dialogs
// with their read-backs, the About box, and the file and folder pickers.
#pragma once

#include "bridge/records.h"

namespace larch {

void KVShowLoginDlg(ParamBlock* block);
void KVGetLoginName(ParamBlock* block);
void KVGetLoginPassword(ParamBlock* block);

void KVShowSqlSetDlg(ParamBlock* block);
void KVGetSqlServerName(ParamBlock* block);
void KVGetSqlDataBase(ParamBlock* block);
void KVGetSqlUserName(ParamBlock* block);
void KVGetSqlPassword(ParamBlock* block);
void KVGetSqlTimeOut(ParamBlock* block);
void KVGetSqlTrusted(ParamBlock* block);

void KVShowAccessSetDlg(ParamBlock* block);
void KVGetMdbFileName(ParamBlock* block);
void KVGetMdbUserName(ParamBlock* block);
void KVGetMdbPassword(ParamBlock* block);

void KVShowAboutDlg(ParamBlock* block);

void KVGetFile2(ParamBlock* block);
void KVPutFile2(ParamBlock* block);
void KVGetDir2(ParamBlock* block);
void KVGetOtherFolder(ParamBlock* block);

}  // namespace larch
