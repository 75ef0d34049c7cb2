// The published file, folder, drive and INI functions.
#pragma once

#include "bridge/records.h"

namespace larch {

// Files.
void APIDeleteFile(ParamBlock* block);
void APICopyFile(ParamBlock* block);
void APIMoveFile(ParamBlock* block);
void APIGetFileAttributes(ParamBlock* block);
void APISetFileAttributes(ParamBlock* block);
void APIGetFileLength(ParamBlock* block);
void KVPathFileExists(ParamBlock* block);

// Folders and paths.
void APICreateDirectory(ParamBlock* block);
void APIRemoveDirectory(ParamBlock* block);
void APIGetLongPathName(ParamBlock* block);
void APIGetSystemDirectory(ParamBlock* block);
void APIGetTempPath(ParamBlock* block);
void APIGetWindowsDirectory(ParamBlock* block);
void KVCurPath(ParamBlock* block);
void KVSetPath(ParamBlock* block);
void KVGetSpecialFolder(ParamBlock* block);

// Drives.
void APIGetDriveType(ParamBlock* block);
void APIGetVolumeInfo(ParamBlock* block);
void KVGetLogicalDrive(ParamBlock* block);

// Shell file operations.
void APIDeleteFolder(ParamBlock* block);
void APIDisposeFolder(ParamBlock* block);

// INI files.
void KVWriteIniStr(ParamBlock* block);
void KVGetIniStr(ParamBlock* block);
void KVGetIniInt(ParamBlock* block);

}  // namespace larch
