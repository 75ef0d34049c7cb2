// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "dialogs/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"KVGetFile2", KVGetFile2},
    {"KVPutFile2", KVPutFile2},
    {"KVGetDir2", KVGetDir2},
    {"KVGetOtherFolder", KVGetOtherFolder},
    {"KVShowLoginDlg", KVShowLoginDlg},
    {"KVGetLoginName", KVGetLoginName},
    {"KVGetLoginPassword", KVGetLoginPassword},
    {"KVShowSqlSetDlg", KVShowSqlSetDlg},
    {"KVGetSqlServerName", KVGetSqlServerName},
    {"KVGetSqlDataBase", KVGetSqlDataBase},
    {"KVGetSqlUserName", KVGetSqlUserName},
    {"KVGetSqlPassword", KVGetSqlPassword},
    {"KVGetSqlTimeOut", KVGetSqlTimeOut},
    {"KVGetSqlTrusted", KVGetSqlTrusted},
    {"KVShowAccessSetDlg", KVShowAccessSetDlg},
    {"KVGetMdbFileName", KVGetMdbFileName},
    {"KVGetMdbUserName", KVGetMdbUserName},
    {"KVGetMdbPassword", KVGetMdbPassword},
    {"KVShowAboutDlg", KVShowAboutDlg},
};

}  // namespace

EntryList DialogsEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
