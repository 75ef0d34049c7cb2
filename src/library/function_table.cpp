// The function table the host reads: every published function in its fixed
// order, with its type string, parameter count and entry point. A row names
// its function once: LARCH_ROW publishes it under its own name and takes its
// address, so a misspelt or missing function fails the build.
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "archive/functions.h"
#include "bridge/functions.h"
#include "bridge/lifecycle.h"
#include "crypto/functions.h"
#include "dialogs/functions.h"
#include "files/functions.h"
#include "library/function_table.h"
#include "net/functions.h"
#include "registry/functions.h"
#include "system/functions.h"
#include "text/functions.h"

namespace larch {
namespace {

struct PublishedRow {
  const char* name;
  const char* types;
  int16_t count;
  void (*function)(ParamBlock*);  // a published function, or
  void (*hook)();                 // the load or release hook
};

// clang-format off
#define LARCH_ROW(function, types, count) PublishedRow{#function, types, count, &function, nullptr}
#define LARCH_HOOK(name, hook, count) PublishedRow{name, "", count, nullptr, &hook}
// clang-format on

// Letters: C character, I integer, N number, L logical, R by reference,
// ? any type; a dot marks the next parameter optional. The load and
// release hooks carry negative counts: the host runs them itself and a
// program cannot call them.
constexpr PublishedRow kPublishedRows[] = {
    LARCH_HOOK("ONLOAD", OnLoadHook, -2),
    LARCH_HOOK("ONQUIT", OnQuitHook, -3),
    LARCH_ROW(GetExeInfo, "I", 1),
    LARCH_ROW(GetFllInfo, "I", 1),
    LARCH_ROW(GetDefaultFontName, "", 0),
    LARCH_ROW(GetDefaultFontSize, "", 0),
    LARCH_ROW(GetMyBackColor, "I", 1),
    LARCH_ROW(GetCpuID, "", 0),
    LARCH_ROW(Get32Md5, "C", 1),
    LARCH_ROW(Get32Md5FileChecksum, "C", 1),
    LARCH_ROW(KVEncryptTxt1, "CI", 2),
    LARCH_ROW(KVEncryptTxt2, "R.C", 2),
    LARCH_ROW(KVEncryptByteBlock2, "R.C", 2),
    LARCH_ROW(KVRunFoxBatch2, "C.I", 2),
    LARCH_ROW(KVEncryptFileBuffer2, "CCI", 3),
    LARCH_ROW(PSSetStringLine, "C", 1),
    LARCH_ROW(PSSetFlagChar, "C", 1),
    LARCH_ROW(PSIsEnd, "", 0),
    LARCH_ROW(PSGetItem, "", 0),
    LARCH_ROW(PSGoToHead, "", 0),
    LARCH_ROW(PSGetRestString, "", 0),
    LARCH_ROW(FRSetRegPath, ".C.I", 2),
    LARCH_ROW(FRCloseReg, "", 0),
    LARCH_ROW(FRSetRegValue, "C?", 2),
    LARCH_ROW(FRGetRegValue, "C?", 2),
    LARCH_ROW(FRDeleteValue, "C", 1),
    LARCH_ROW(FRDeleteKey, "C", 1),
    LARCH_ROW(FREnumRegValue, "C", 1),
    LARCH_ROW(FREnumRegKeyEx, "C", 1),
    LARCH_ROW(LangIsChinese, "", 0),
    LARCH_ROW(KVBig5ToGb2312, "C", 1),
    LARCH_ROW(KVGb2312ToBig5, "C", 1),
    LARCH_ROW(KVCnCharToSpell, "C", 1),
    LARCH_ROW(KVCnCharToStroke, "C.I", 2),
    LARCH_ROW(KVFindMatchString, "CC.I", 3),
    LARCH_ROW(KVIsMatchString, "CC.I", 3),
    LARCH_ROW(KVMultiMatchString, "CC.I", 3),
    LARCH_ROW(KVStrRev, "R.I", 2),
    LARCH_ROW(KVRmbNumToCnChar, "N.L", 2),
    LARCH_ROW(APIDeleteFile, "C", 1),
    LARCH_ROW(APICopyFile, "CC.L", 3),
    LARCH_ROW(APICreateDirectory, "C", 1),
    LARCH_ROW(APIGetDriveType, "C", 1),
    LARCH_ROW(APIGetVolumeInfo, "C", 1),
    LARCH_ROW(APIGetFileAttributes, "C", 1),
    LARCH_ROW(APIGetLongPathName, "C", 1),
    LARCH_ROW(APIGetSystemDirectory, "", 0),
    LARCH_ROW(APIGetTempPath, "", 0),
    LARCH_ROW(APIGetWindowsDirectory, "", 0),
    LARCH_ROW(APIMoveFile, "CC", 2),
    LARCH_ROW(APIRemoveDirectory, "C", 1),
    LARCH_ROW(APISetFileAttributes, "CI", 2),
    LARCH_ROW(APIGetComputerName, "", 0),
    LARCH_ROW(APIGetUserName, "", 0),
    LARCH_ROW(APIGetSystemMetrics, "I", 1),
    LARCH_ROW(APIGetFileLength, "C", 1),
    LARCH_ROW(APIDeleteFolder, "C", 1),
    LARCH_ROW(APIDisposeFolder, "IICC", 4),
    LARCH_ROW(APIShellExecute, "C.I.C.C.C.I", 6),
    LARCH_ROW(APIFatalAppExit, "C", 1),
    LARCH_ROW(APIFlashWindowEx, "I", 1),
    LARCH_ROW(APIGetDesktopWindow, "", 0),
    LARCH_ROW(APIBringWindowToTop, "I", 1),
    LARCH_ROW(APIIsIconic, "I", 1),
    LARCH_ROW(APIIsZoomed, "I", 1),
    LARCH_ROW(APIOpenIcon, "I", 1),
    LARCH_ROW(APISetForegroundWindow, "I", 1),
    LARCH_ROW(KVGetHostMac, "C", 1),
    LARCH_ROW(KVGetMac2, ".I", 1),
    LARCH_ROW(KVGetHostIP, "C", 1),
    LARCH_ROW(KVMapNetDrv, "CCCC", 4),
    LARCH_ROW(KVDeleMapDrv, "C.I", 2),
    LARCH_ROW(KVEnumNetWork, "", 0),
    LARCH_ROW(KVComputerBrowser, "", 0),
    LARCH_ROW(KVExitWindows, "I", 1),
    LARCH_ROW(KVExitRemoteWindows, "C.C.I.L,L", 5),
    LARCH_ROW(KVCreateShortcut, "CC.C.I.C", 5),
    LARCH_ROW(KVGetLastErrorMsg, ".I", 1),
    LARCH_ROW(KVShellExecAndWait, "C.C.I", 3),
    LARCH_ROW(KVGet2PixeFactor, "IRR", 3),
    LARCH_ROW(KVTestExeIsRun, ".C", 1),
    LARCH_ROW(KVShowTextInNotepad, "C", 1),
    LARCH_ROW(KVExeSleep, "I", 1),
    LARCH_ROW(KVWinExec, "C.I", 2),
    LARCH_ROW(KVGetProcessSnapshot, "C", 1),
    LARCH_ROW(KVKillProcess, "I", 1),
    LARCH_ROW(KVKillProcess2, "C", 1),
    LARCH_ROW(KVActiveWindow, "?", 1),
    LARCH_ROW(KVShowHideTaskbar, "I", 1),
    LARCH_ROW(KVChangeDisplaySettings, "II.I", 3),
    LARCH_ROW(KVGetCursorPos, "I", 1),
    LARCH_ROW(KVGetSpecialFolder, "I", 1),
    LARCH_ROW(KVGetFile2, "CC.I", 3),
    LARCH_ROW(KVPutFile2, "C.C.C", 3),
    LARCH_ROW(KVCurPath, "", 0),
    LARCH_ROW(KVSetPath, "C", 1),
    LARCH_ROW(KVGetLogicalDrive, "", 0),
    LARCH_ROW(KVTraverseDirectory, "CCC.C.I", 5),
    LARCH_ROW(KVGetDir2, ".C.C.I", 3),
    LARCH_ROW(KVGetOtherFolder, "IC", 2),
    LARCH_ROW(LoadStringSrcStream, "C", 1),
    LARCH_ROW(GetStringSrcById, "I", 1),
    LARCH_ROW(CabCreateCabinet, "C", 1),
    LARCH_ROW(CabAddFile2Cab, "IC", 2),
    LARCH_ROW(CabFlushCab, "I", 1),
    LARCH_ROW(CabCompress, "CC", 2),
    LARCH_ROW(CabDecompress, "CC", 2),
    LARCH_ROW(KVSetFtpParas, "CCC.I", 4),
    LARCH_ROW(KVFtpCreateDir, "C", 1),
    LARCH_ROW(KVFtpRemoveDir, "C", 1),
    LARCH_ROW(KVFtpDeleteFile, "C", 1),
    LARCH_ROW(KVFtpRenameFile, "CC", 2),
    LARCH_ROW(KVFtpGetFile, "CC", 2),
    LARCH_ROW(KVFtpPutFile, "CC", 2),
    LARCH_ROW(KVCloseConnect, "", 0),
    LARCH_ROW(KVCheckFtpConnect, "", 0),
    LARCH_ROW(KVFtpSetCurDir, "C", 1),
    LARCH_ROW(KVFtpGetCurDir, "", 0),
    LARCH_ROW(KVHttpDownLoad, "CC", 2),
    LARCH_ROW(KVTestInetConn, "", 0),
    LARCH_ROW(KVShowLoginDlg, "C", 1),
    LARCH_ROW(KVGetLoginName, "", 0),
    LARCH_ROW(KVGetLoginPassword, "", 0),
    LARCH_ROW(KVShowSqlSetDlg, "CCCCIL.I", 7),
    LARCH_ROW(KVGetSqlServerName, "", 0),
    LARCH_ROW(KVGetSqlDataBase, "", 0),
    LARCH_ROW(KVGetSqlUserName, "", 0),
    LARCH_ROW(KVGetSqlPassword, "", 0),
    LARCH_ROW(KVGetSqlTimeOut, "", 0),
    LARCH_ROW(KVGetSqlTrusted, "", 0),
    LARCH_ROW(KVShowAccessSetDlg, "CCC.I", 4),
    LARCH_ROW(KVGetMdbFileName, "", 0),
    LARCH_ROW(KVGetMdbUserName, "", 0),
    LARCH_ROW(KVGetMdbPassword, "", 0),
    LARCH_ROW(KVShowAboutDlg, "CCC", 3),
    LARCH_ROW(KVWriteIniStr, "CCCC", 4),
    LARCH_ROW(KVGetIniStr, "CCCC", 4),
    LARCH_ROW(KVGetIniInt, "CCIC", 4),
    LARCH_ROW(KVGetGUID, "", 0),
    LARCH_ROW(KVPathFileExists, "C", 1),
    LARCH_ROW(APIGetWindowText, "I", 1),
    LARCH_ROW(APIIsWindow, "I", 1),
};

#undef LARCH_ROW
#undef LARCH_HOOK

static_assert(std::size(kPublishedRows) <= UINT16_MAX, "the header counts rows in 16 bits");

struct Table {
  FunctionTableHeader header{};
  FunctionEntry entries[std::size(kPublishedRows)]{};

  Table() {
    for (size_t i = 0; i < std::size(kPublishedRows); ++i) {
      const PublishedRow& row = kPublishedRows[i];
      const void* entry =
          row.function ? reinterpret_cast<const void*>(row.function) : reinterpret_cast<const void*>(row.hook);
      entries[i] = {Address(row.name), Address(entry), row.count, Address(row.types)};
    }
    header.next = 0;
    header.rows = static_cast<uint16_t>(std::size(entries));
    header.firstEntry = Address(entries);
  }
};

}  // namespace

const FunctionTableHeader* PublishedTable() {
  static const Table table;
  return &table.header;
}

}  // namespace larch
