// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "files/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"APIDeleteFile", APIDeleteFile},
    {"APICopyFile", APICopyFile},
    {"APICreateDirectory", APICreateDirectory},
    {"APIGetDriveType", APIGetDriveType},
    {"APIGetVolumeInfo", APIGetVolumeInfo},
    {"APIGetFileAttributes", APIGetFileAttributes},
    {"APIGetLongPathName", APIGetLongPathName},
    {"APIGetSystemDirectory", APIGetSystemDirectory},
    {"APIGetTempPath", APIGetTempPath},
    {"APIGetWindowsDirectory", APIGetWindowsDirectory},
    {"APIMoveFile", APIMoveFile},
    {"APIRemoveDirectory", APIRemoveDirectory},
    {"APISetFileAttributes", APISetFileAttributes},
    {"APIGetFileLength", APIGetFileLength},
    {"APIDeleteFolder", APIDeleteFolder},
    {"APIDisposeFolder", APIDisposeFolder},
    {"KVGetSpecialFolder", KVGetSpecialFolder},
    {"KVCurPath", KVCurPath},
    {"KVSetPath", KVSetPath},
    {"KVGetLogicalDrive", KVGetLogicalDrive},
    {"KVWriteIniStr", KVWriteIniStr},
    {"KVGetIniStr", KVGetIniStr},
    {"KVGetIniInt", KVGetIniInt},
    {"KVPathFileExists", KVPathFileExists},
};

}  // namespace

EntryList FilesEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
