// Network connections, the computers of the network context, and the
// provider's computer-selection dialog.
#include <winsock2.h>
#include <windows.h>
#include <winnetwk.h>

#include <cstring>
#include <string>

#include "bridge/dbcs.h"
#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/path_length.h"
#include "bridge/system_error.h"
#include "net/address_text.h"
#include "net/functions.h"
#include "net/net_handles.h"

namespace larch {
namespace {

constexpr DWORD kEnumBufferSize = 2048;
constexpr UINT kBrowseServersAndDomains = 0x001F0003;
constexpr UINT kBrowseNameCapacity = 16;  // UTF-16 characters
constexpr int kBrowseAnsiCapacity = 15;   // bytes with the NUL

using SystemFocusDialogFn = UINT(WINAPI*)(HWND owner, UINT selection, LPWSTR name, UINT capacity, BOOL* ok,
                                          LPWSTR helpFile, DWORD helpContext);

// An empty text stands for "none".
const char* OrNone(const TextParam& text) { return text.empty() ? nullptr : text.c_str(); }

DWORD UseConnection(NETRESOURCEA* resource, const char* password, const char* user) {
  char accessName[kPathCapacity];
  DWORD accessSize = sizeof accessName;
  DWORD result = 0;
  return WNetUseConnectionA(nullptr, resource, password, user, CONNECT_REDIRECT, accessName, &accessSize, &result);
}

// The provider library from the system folder, by its full path. A bare
// name would be looked for in the host's own folder and the current folder
// first, and any file of that name there would run its code in the host.
// (The search flag for the system folder alone is missing on systems the
// host still runs on; a full path works on all of them.) The altered search
// path makes the provider's own dependencies come from its folder too.
UniqueModule LoadSystemLibrary(const char* name) {
  char folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return UniqueModule();
  std::string path(folder, length);
  if (!EndsWithSeparator(AnsiLeadBytes(), path)) path += '\\';
  path += name;
  if (ResolvedPathTooLong(path)) return UniqueModule();
  return UniqueModule(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
}

// The computers of one enumeration batch that resolve, as the computer list.
std::string ListResolvedComputers(HANDLE enumeration) {
  // NETRESOURCEA-aligned storage for the one batch.
  std::vector<NETRESOURCEA> storage(kEnumBufferSize / sizeof(NETRESOURCEA) + 1);
  DWORD count = 0xFFFFFFFF;
  DWORD size = kEnumBufferSize;
  if (WNetEnumResourceA(enumeration, &count, storage.data(), &size) != NO_ERROR) return "";
  WholeEntryList list(kComputerListCapacity);
  for (DWORD i = 0; i < count && i < storage.size(); ++i) {
    const NETRESOURCEA& entry = storage[i];
    if (entry.dwUsage != RESOURCEUSAGE_CONTAINER || entry.dwType != RESOURCETYPE_ANY || !entry.lpRemoteName) continue;
    std::string name(WithoutLeadingBackslashes(entry.lpRemoteName));
    std::vector<std::string> addresses = ResolveHostAddresses(name.c_str());
    if (addresses.empty() || addresses[0].size() < 4) continue;
    list.add(ComputerEntry(name, reinterpret_cast<const uint8_t*>(addresses[0].data())));
  }
  return list.text();
}

}  // namespace

void KVMapNetDrv(ParamBlock* block) {
  Params p(block);
  TextParam remote = p.text(1);
  TextParam device = p.text(2);
  TextParam user = p.text(3);
  TextParam password = p.text(4);
  // A name or credential holding a NUL would reach the system cut short:
  // the answer is the code for a name the system cannot take.
  for (const TextParam* text : {&remote, &device, &user, &password}) {
    if (HoldsNul(text->view())) return ReturnInt(ERROR_INVALID_NAME);
  }
  NETRESOURCEA resource{};
  resource.dwScope = RESOURCE_GLOBALNET;
  resource.dwType = RESOURCETYPE_DISK;
  resource.dwDisplayType = RESOURCEDISPLAYTYPE_SHARE;
  resource.dwUsage = RESOURCEUSAGE_CONNECTABLE;
  resource.lpLocalName = const_cast<char*>(OrNone(device));
  resource.lpRemoteName = remote.data();
  DWORD result = UseConnection(&resource, OrNone(password), OrNone(user));
  // Callers give the credentials either way round; the second try swaps them.
  if (result != NO_ERROR) result = UseConnection(&resource, OrNone(user), OrNone(password));
  ReturnInt(static_cast<int32_t>(result));
}

void KVDeleMapDrv(ParamBlock* block) {
  Params p(block);
  TextParam name = p.text(1);
  if (RefuseNul(name.view())) return ReturnInt(ERROR_INVALID_NAME);
  // Forced, so open files do not keep the connection; the profile stays.
  DWORD result = WNetCancelConnection2A(name.c_str(), 0, TRUE);
  // The code is the answer; the thread's error may still read 0.
  if (result != NO_ERROR) RecordFailure(result);
  ReturnInt(static_cast<int32_t>(result));
}

void KVEnumNetWork(ParamBlock*) {
  UniqueNetEnum enumeration;
  WNetOpenEnumA(RESOURCE_CONTEXT, RESOURCETYPE_ANY, 0, nullptr, enumeration.put());
  WinsockSession sockets(MAKEWORD(1, 1));
  ReturnText(enumeration ? ListResolvedComputers(enumeration.get()) : "");
}

void KVComputerBrowser(ParamBlock*) {
  // Without a display the dialog cannot be shown: answered as cancelled.
  if (!DesktopAvailable()) return ReturnText("");
  UniqueModule provider = LoadSystemLibrary("ntlanman.dll");
  if (!provider) return ReturnText("");
  auto dialog = reinterpret_cast<SystemFocusDialogFn>(
      reinterpret_cast<void*>(GetProcAddress(provider.get(), "I_SystemFocusDialog")));
  if (!dialog) return ReturnText("");
  WCHAR name[kBrowseNameCapacity] = {};
  BOOL ok = FALSE;
  UINT status = dialog(nullptr, kBrowseServersAndDomains, name, kBrowseNameCapacity, &ok, nullptr, 0);
  provider.reset();
  // A name that fills the buffer without its NUL does not fit either.
  if (status != 0 || !ok || wcsnlen(name, kBrowseNameCapacity) == kBrowseNameCapacity) return ReturnText("");
  char ansi[kBrowseAnsiCapacity] = {};
  if (!Recorded(WideCharToMultiByte(CP_ACP, 0, name, -1, ansi, sizeof ansi, nullptr, nullptr))) return ReturnText("");
  ReturnText(ansi);
}

}  // namespace larch
