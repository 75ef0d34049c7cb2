// Entry points of this family's published functions (the directory walk
// and the cabinets publish theirs from archive_entries.cpp).
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
    {"KVGetLastErrorMsg", KVGetLastErrorMsg},
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
