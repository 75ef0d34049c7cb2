// The published functions of the network family.
#pragma once

#include "bridge/records.h"

namespace larch {

// Host identity (host_identity.cpp).
void KVGetHostMac(ParamBlock* block);
void KVGetMac2(ParamBlock* block);
void KVGetHostIP(ParamBlock* block);
void APIGetComputerName(ParamBlock* block);
void APIGetUserName(ParamBlock* block);

// The FTP session (ftp_functions.cpp).
void KVSetFtpParas(ParamBlock* block);
void KVCheckFtpConnect(ParamBlock* block);
void KVCloseConnect(ParamBlock* block);
void KVFtpCreateDir(ParamBlock* block);
void KVFtpRemoveDir(ParamBlock* block);
void KVFtpDeleteFile(ParamBlock* block);
void KVFtpRenameFile(ParamBlock* block);
void KVFtpGetFile(ParamBlock* block);
void KVFtpPutFile(ParamBlock* block);
void KVFtpSetCurDir(ParamBlock* block);
void KVFtpGetCurDir(ParamBlock* block);

// HTTP download and connectivity (http_download.cpp).
void KVHttpDownLoad(ParamBlock* block);
void KVTestInetConn(ParamBlock* block);

// Network drives and browsing (network_drives.cpp).
void KVMapNetDrv(ParamBlock* block);
void KVDeleMapDrv(ParamBlock* block);
void KVEnumNetWork(ParamBlock* block);
void KVComputerBrowser(ParamBlock* block);

}  // namespace larch
