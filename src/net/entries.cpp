// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "net/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"APIGetComputerName", APIGetComputerName},
    {"APIGetUserName", APIGetUserName},
    {"KVGetHostMac", KVGetHostMac},
    {"KVGetMac2", KVGetMac2},
    {"KVGetHostIP", KVGetHostIP},
    {"KVMapNetDrv", KVMapNetDrv},
    {"KVDeleMapDrv", KVDeleMapDrv},
    {"KVEnumNetWork", KVEnumNetWork},
    {"KVComputerBrowser", KVComputerBrowser},
    {"KVSetFtpParas", KVSetFtpParas},
    {"KVFtpCreateDir", KVFtpCreateDir},
    {"KVFtpRemoveDir", KVFtpRemoveDir},
    {"KVFtpDeleteFile", KVFtpDeleteFile},
    {"KVFtpRenameFile", KVFtpRenameFile},
    {"KVFtpGetFile", KVFtpGetFile},
    {"KVFtpPutFile", KVFtpPutFile},
    {"KVCloseConnect", KVCloseConnect},
    {"KVCheckFtpConnect", KVCheckFtpConnect},
    {"KVFtpSetCurDir", KVFtpSetCurDir},
    {"KVFtpGetCurDir", KVFtpGetCurDir},
    {"KVHttpDownLoad", KVHttpDownLoad},
    {"KVTestInetConn", KVTestInetConn},
};

}  // namespace

EntryList NetEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
