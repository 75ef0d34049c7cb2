// The function table the host reads: every published name in its fixed
// order, with its parameter count and type string. A row is published only
// when its family supplies a working entry point.
#include <cstring>
#include <vector>

#include "bridge/entry_points.h"
#include "bridge/lifecycle.h"

namespace larch {
namespace {

struct PublishedRow {
  const char* name;
  const char* types;
  int16_t count;
};

// Letters: C character, I integer, N number, L logical, R by reference,
// ? any type; a dot marks the next parameter optional.
constexpr PublishedRow kPublishedRows[] = {
    {"ONLOAD", "", -2},
    {"ONQUIT", "", -3},
    {"GetExeInfo", "I", 1},
    {"GetFllInfo", "I", 1},
    {"GetDefaultFontName", "", 0},
    {"GetDefaultFontSize", "", 0},
    {"GetMyBackColor", "I", 1},
    {"GetCpuID", "", 0},
    {"Get32Md5", "C", 1},
    {"Get32Md5FileChecksum", "C", 1},
    {"KVEncryptTxt1", "CI", 2},
    {"KVEncryptTxt2", "R.C", 2},
    {"KVEncryptByteBlock2", "R.C", 2},
    {"KVRunFoxBatch2", "C.I", 2},
    {"KVEncryptFileBuffer2", "CCI", 3},
    {"PSSetStringLine", "C", 1},
    {"PSSetFlagChar", "C", 1},
    {"PSIsEnd", "", 0},
    {"PSGetItem", "", 0},
    {"PSGoToHead", "", 0},
    {"PSGetRestString", "", 0},
    {"FRSetRegPath", ".C.I", 2},
    {"FRCloseReg", "", 0},
    {"FRSetRegValue", "C?", 2},
    {"FRGetRegValue", "C?", 2},
    {"FRDeleteValue", "C", 1},
    {"FRDeleteKey", "C", 1},
    {"FREnumRegValue", "C", 1},
    {"FREnumRegKeyEx", "C", 1},
    {"LangIsChinese", "", 0},
    {"KVBig5ToGb2312", "C", 1},
    {"KVGb2312ToBig5", "C", 1},
    {"KVCnCharToSpell", "C", 1},
    {"KVCnCharToStroke", "C.I", 2},
    {"KVFindMatchString", "CC.I", 3},
    {"KVIsMatchString", "CC.I", 3},
    {"KVMultiMatchString", "CC.I", 3},
    {"KVStrRev", "R.I", 2},
    {"KVRmbNumToCnChar", "N.L", 2},
    {"APIDeleteFile", "C", 1},
    {"APICopyFile", "CC.L", 3},
    {"APICreateDirectory", "C", 1},
    {"APIGetDriveType", "C", 1},
    {"APIGetVolumeInfo", "C", 1},
    {"APIGetFileAttributes", "C", 1},
    {"APIGetLongPathName", "C", 1},
    {"APIGetSystemDirectory", "", 0},
    {"APIGetTempPath", "", 0},
    {"APIGetWindowsDirectory", "", 0},
    {"APIMoveFile", "CC", 2},
    {"APIRemoveDirectory", "C", 1},
    {"APISetFileAttributes", "CI", 2},
    {"APIGetComputerName", "", 0},
    {"APIGetUserName", "", 0},
    {"APIGetSystemMetrics", "I", 1},
    {"APIGetFileLength", "C", 1},
    {"APIDeleteFolder", "C", 1},
    {"APIDisposeFolder", "IICC", 4},
    {"APIShellExecute", "C.I.C.C.C.I", 6},
    {"APIFatalAppExit", "C", 1},
    {"APIFlashWindowEx", "I", 1},
    {"APIGetDesktopWindow", "", 0},
    {"APIBringWindowToTop", "I", 1},
    {"APIIsIconic", "I", 1},
    {"APIIsZoomed", "I", 1},
    {"APIOpenIcon", "I", 1},
    {"APISetForegroundWindow", "I", 1},
    {"KVGetHostMac", "C", 1},
    {"KVGetMac2", ".I", 1},
    {"KVGetHostIP", "C", 1},
    {"KVMapNetDrv", "CCCC", 4},
    {"KVDeleMapDrv", "C.I", 2},
    {"KVEnumNetWork", "", 0},
    {"KVComputerBrowser", "", 0},
    {"KVExitWindows", "I", 1},
    {"KVExitRemoteWindows", "C.C.I.L,L", 5},
    {"KVCreateShortcut", "CC.C.I.C", 5},
    {"KVGetLastErrorMsg", ".I", 1},
    {"KVShellExecAndWait", "C.C.I", 3},
    {"KVGet2PixeFactor", "IRR", 3},
    {"KVTestExeIsRun", ".C", 1},
    {"KVShowTextInNotepad", "C", 1},
    {"KVExeSleep", "I", 1},
    {"KVWinExec", "C.I", 2},
    {"KVGetProcessSnapshot", "C", 1},
    {"KVKillProcess", "I", 1},
    {"KVKillProcess2", "C", 1},
    {"KVActiveWindow", "?", 1},
    {"KVShowHideTaskbar", "I", 1},
    {"KVChangeDisplaySettings", "II.I", 3},
    {"KVGetCursorPos", "I", 1},
    {"KVGetSpecialFolder", "I", 1},
    {"KVGetFile2", "CC.I", 3},
    {"KVPutFile2", "C.C.C", 3},
    {"KVCurPath", "", 0},
    {"KVSetPath", "C", 1},
    {"KVGetLogicalDrive", "", 0},
    {"KVTraverseDirectory", "CCC.C.I", 5},
    {"KVGetDir2", ".C.C.I", 3},
    {"KVGetOtherFolder", "IC", 2},
    {"LoadStringSrcStream", "C", 1},
    {"GetStringSrcById", "I", 1},
    {"CabCreateCabinet", "C", 1},
    {"CabAddFile2Cab", "IC", 2},
    {"CabFlushCab", "I", 1},
    {"CabCompress", "CC", 2},
    {"CabDecompress", "CC", 2},
    {"KVSetFtpParas", "CCC.I", 4},
    {"KVFtpCreateDir", "C", 1},
    {"KVFtpRemoveDir", "C", 1},
    {"KVFtpDeleteFile", "C", 1},
    {"KVFtpRenameFile", "CC", 2},
    {"KVFtpGetFile", "CC", 2},
    {"KVFtpPutFile", "CC", 2},
    {"KVCloseConnect", "", 0},
    {"KVCheckFtpConnect", "", 0},
    {"KVFtpSetCurDir", "C", 1},
    {"KVFtpGetCurDir", "", 0},
    {"KVHttpDownLoad", "CC", 2},
    {"KVTestInetConn", "", 0},
    {"KVShowLoginDlg", "C", 1},
    {"KVGetLoginName", "", 0},
    {"KVGetLoginPassword", "", 0},
    {"KVShowSqlSetDlg", "CCCCIL.I", 7},
    {"KVGetSqlServerName", "", 0},
    {"KVGetSqlDataBase", "", 0},
    {"KVGetSqlUserName", "", 0},
    {"KVGetSqlPassword", "", 0},
    {"KVGetSqlTimeOut", "", 0},
    {"KVGetSqlTrusted", "", 0},
    {"KVShowAccessSetDlg", "CCC.I", 4},
    {"KVGetMdbFileName", "", 0},
    {"KVGetMdbUserName", "", 0},
    {"KVGetMdbPassword", "", 0},
    {"KVShowAboutDlg", "CCC", 3},
    {"KVWriteIniStr", "CCCC", 4},
    {"KVGetIniStr", "CCCC", 4},
    {"KVGetIniInt", "CCIC", 4},
    {"KVGetGUID", "", 0},
    {"KVPathFileExists", "C", 1},
    {"APIGetWindowText", "I", 1},
    {"APIIsWindow", "I", 1},
};

const void* FindEntry(const char* name) {
  if (std::strcmp(name, "ONLOAD") == 0) return reinterpret_cast<const void*>(&OnLoadHook);
  if (std::strcmp(name, "ONQUIT") == 0) return reinterpret_cast<const void*>(&OnQuitHook);
  for (EntryList (*family)() : {BridgeEntries, TextEntries, CryptoEntries, RegistryEntries,
                                FilesEntries, ArchiveEntries, SystemEntries, NetEntries, DialogsEntries}) {
    EntryList list = family();
    for (size_t i = 0; i < list.count; ++i) {
      if (std::strcmp(list.rows[i].name, name) == 0) return reinterpret_cast<const void*>(list.rows[i].entry);
    }
  }
  return nullptr;
}

struct Table {
  FunctionTableHeader header{};
  std::vector<FunctionEntry> entries;

  Table() {
    for (const PublishedRow& row : kPublishedRows) {
      const void* entry = FindEntry(row.name);
      if (!entry) continue;
      entries.push_back({Address(row.name), Address(entry), row.count, Address(row.types)});
    }
    header.next = 0;
    header.rows = static_cast<uint16_t>(entries.size());
    header.firstEntry = Address(entries.data());
  }
};

}  // namespace

const FunctionTableHeader* PublishedTable() {
  static const Table table;
  return &table.header;
}

}  // namespace larch
