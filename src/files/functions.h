// The published file, folder, drive and INI functions.
#pragma once

#include "bridge/records.h"

namespace larch {

// Files (file_functions.cpp).
void APIDeleteFile(ParamBlock* block);
void APICopyFile(ParamBlock* block);
void APIMoveFile(ParamBlock* block);
void APIGetFileAttributes(ParamBlock* block);
void APISetFileAttributes(ParamBlock* block);
void APIGetFileLength(ParamBlock* block);
void KVPathFileExists(ParamBlock* block);

// Folders and paths (folder_functions.cpp).
void APICreateDirectory(ParamBlock* block);
void APIRemoveDirectory(ParamBlock* block);
void APIGetLongPathName(ParamBlock* block);
void APIGetSystemDirectory(ParamBlock* block);
void APIGetTempPath(ParamBlock* block);
void APIGetWindowsDirectory(ParamBlock* block);
void KVCurPath(ParamBlock* block);
void KVSetPath(ParamBlock* block);
void KVGetSpecialFolder(ParamBlock* block);

// Drives (drive_functions.cpp).
void APIGetDriveType(ParamBlock* block);
void APIGetVolumeInfo(ParamBlock* block);
void KVGetLogicalDrive(ParamBlock* block);

// Shell file operations (shell_operations.cpp).
void APIDeleteFolder(ParamBlock* block);
void APIDisposeFolder(ParamBlock* block);

// INI files (ini_functions.cpp).
void KVWriteIniStr(ParamBlock* block);
void KVGetIniStr(ParamBlock* block);
void KVGetIniInt(ParamBlock* block);

}  // namespace larch
