// Network drives and browsing. Wine's MPR answers 1222 (no network) and
// there is no ntlanman.dll, so besides those real answers the tests put
// fakes of the MPR calls, gethostbyname, and the loading of the provider's
// dialog at the library's import table, and record what it passed.
#include <gtest/gtest.h>

#include "net_loopback.h"

#include <winnetwk.h>

#include <cctype>
#include <cstring>
#include <deque>
#include <map>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

std::string OrNull(const char* s) { return s ? s : "(null)"; }

// ---- WNetUseConnectionA, WNetCancelConnection2A ---------------------------

struct UseCall {
  HWND owner;
  DWORD scope, type, displayType, usage;
  std::string local, remote, provider, password, user;
  DWORD flags, accessSize;
  bool hasAccess, hasResult;
};

struct FakeConnections {
  std::deque<DWORD> answers;
  std::vector<UseCall> uses;
  std::vector<std::pair<std::string, std::pair<DWORD, BOOL>>> cancels;
  DWORD cancelAnswer = NO_ERROR;
  DWORD cancelLastError = 0xFFFFFFFF;  // as the answer unless set
} g_mpr;

DWORD WINAPI FakeUseConnection(HWND owner, LPNETRESOURCEA r, LPCSTR password, LPCSTR user, DWORD flags, LPSTR access,
                               LPDWORD accessSize, LPDWORD result) {
  g_mpr.uses.push_back({owner, r->dwScope, r->dwType, r->dwDisplayType, r->dwUsage, OrNull(r->lpLocalName),
                        OrNull(r->lpRemoteName), OrNull(r->lpProvider), OrNull(password), OrNull(user), flags,
                        accessSize ? *accessSize : 0, access != nullptr, result != nullptr});
  DWORD answer = g_mpr.answers.empty() ? ERROR_NO_NETWORK : g_mpr.answers.front();
  if (!g_mpr.answers.empty()) g_mpr.answers.pop_front();
  SetLastError(answer);
  return answer;
}

DWORD WINAPI FakeCancelConnection(LPCSTR name, DWORD flags, BOOL force) {
  g_mpr.cancels.push_back({OrNull(name), {flags, force}});
  SetLastError(g_mpr.cancelLastError == 0xFFFFFFFF ? g_mpr.cancelAnswer : g_mpr.cancelLastError);
  return g_mpr.cancelAnswer;
}

class NetDrives : public ::testing::Test {
 protected:
  void SetUp() override { g_mpr = {}; }
  HostEmulator emu;
  ImportPatch use{emu.module(), "mpr.dll", "WNetUseConnectionA", FakeOf(&FakeUseConnection)};
  ImportPatch cancel{emu.module(), "mpr.dll", "WNetCancelConnection2A", FakeOf(&FakeCancelConnection)};

  int32_t Map(const std::string& remote, const std::string& device, const std::string& user,
              const std::string& password) {
    return CallInteger(emu, "KVMapNetDrv",
                       {Value::Text(remote), Value::Text(device), Value::Text(user), Value::Text(password)});
  }
};

TEST_F(NetDrives, MapPassesTheShareRecordAndRetriesWithTheCredentialsExchanged) {
  ASSERT_TRUE(use.active() && cancel.active());
  g_mpr.answers = {NO_ERROR};
  EXPECT_EQ(Map("\\\\srv\\share", "Z:", "me", "pw"), 0);
  ASSERT_EQ(g_mpr.uses.size(), 1u);
  const UseCall& first = g_mpr.uses[0];
  EXPECT_EQ(first.owner, nullptr);
  EXPECT_EQ(first.scope, static_cast<DWORD>(RESOURCE_GLOBALNET));
  EXPECT_EQ(first.type, static_cast<DWORD>(RESOURCETYPE_DISK));
  EXPECT_EQ(first.displayType, static_cast<DWORD>(RESOURCEDISPLAYTYPE_SHARE));
  EXPECT_EQ(first.usage, static_cast<DWORD>(RESOURCEUSAGE_CONNECTABLE));
  EXPECT_EQ(first.local, "Z:");
  EXPECT_EQ(first.remote, "\\\\srv\\share");
  EXPECT_EQ(first.provider, "(null)");
  EXPECT_EQ(first.password, "pw");
  EXPECT_EQ(first.user, "me");
  EXPECT_EQ(first.flags, static_cast<DWORD>(CONNECT_REDIRECT));
  EXPECT_EQ(first.accessSize, 260u);
  EXPECT_TRUE(first.hasAccess && first.hasResult);

  // A wrong password: the second try has user and password swapped.
  g_mpr = {};
  g_mpr.answers = {ERROR_INVALID_PASSWORD, NO_ERROR};
  EXPECT_EQ(Map("\\\\srv\\share", "Z:", "pw", "me"), 0);
  ASSERT_EQ(g_mpr.uses.size(), 2u);
  EXPECT_EQ(g_mpr.uses[1].password, "pw");
  EXPECT_EQ(g_mpr.uses[1].user, "me");
  EXPECT_EQ(g_mpr.uses[1].local, "Z:");

  // Both fail: the second code is the answer, and it is not recorded.
  g_mpr = {};
  g_mpr.answers = {ERROR_INVALID_PASSWORD, ERROR_LOGON_FAILURE};
  std::string before = RecordedErrorText(emu);
  EXPECT_EQ(Map("\\\\srv\\share", "Z:", "me", "pw"), ERROR_LOGON_FAILURE);
  EXPECT_EQ(g_mpr.uses.size(), 2u);
  EXPECT_EQ(RecordedErrorText(emu), before);
}

TEST_F(NetDrives, EmptyDeviceAndCredentialsArePassedAsNone) {
  g_mpr.answers = {NO_ERROR};
  EXPECT_EQ(Map("\\\\srv\\share", "", "", ""), 0);
  ASSERT_EQ(g_mpr.uses.size(), 1u);
  EXPECT_EQ(g_mpr.uses[0].local, "(null)");
  EXPECT_EQ(g_mpr.uses[0].user, "(null)");
  EXPECT_EQ(g_mpr.uses[0].password, "(null)");
  EXPECT_EQ(g_mpr.uses[0].flags, static_cast<DWORD>(CONNECT_REDIRECT));
}

TEST_F(NetDrives, ACancelThatFailsIsRecordedOneThatSucceedsIsNot) {
  g_mpr.cancelAnswer = ERROR_NOT_CONNECTED;
  EXPECT_EQ(CallInteger(emu, "KVDeleMapDrv", {Value::Text("Q:")}), ERROR_NOT_CONNECTED);
  EXPECT_LAST_ERROR(emu, ERROR_NOT_CONNECTED);
  g_mpr.cancelAnswer = NO_ERROR;
  EXPECT_EQ(CallInteger(emu, "KVDeleMapDrv", {Value::Text("Q:")}), 0);
  EXPECT_LAST_ERROR(emu, ERROR_NOT_CONNECTED);
  // The system's answer is recorded even when it leaves the thread's
  // error at 0 (as the real service does for "no network").
  g_mpr.cancelAnswer = ERROR_NO_NETWORK;
  g_mpr.cancelLastError = 0;
  EXPECT_EQ(CallInteger(emu, "KVDeleMapDrv", {Value::Text("Q:")}), ERROR_NO_NETWORK);
  EXPECT_LAST_ERROR(emu, ERROR_NO_NETWORK);
}

TEST_F(NetDrives, CancelIsForcedAndKeepsTheProfile) {
  for (DWORD answer : {static_cast<DWORD>(NO_ERROR), static_cast<DWORD>(ERROR_NOT_CONNECTED)}) {
    SCOPED_TRACE(::testing::Message() << "answer " << answer);
    g_mpr = {};
    g_mpr.cancelAnswer = answer;
    EXPECT_EQ(CallInteger(emu, "KVDeleMapDrv", {Value::Text("Z:")}), static_cast<int32_t>(answer));
    EXPECT_EQ(CallInteger(emu, "KVDeleMapDrv", {Value::Text("\\\\srv\\share"), Value::Int(1)}),
              static_cast<int32_t>(answer));
    ASSERT_EQ(g_mpr.cancels.size(), 2u);
    EXPECT_EQ(g_mpr.cancels[0].first, "Z:");
    EXPECT_EQ(g_mpr.cancels[1].first, "\\\\srv\\share");
    for (const auto& c : g_mpr.cancels) {
      EXPECT_EQ(c.second.first, 0u) << "profile flags";
      EXPECT_EQ(c.second.second, TRUE) << "force";
    }
  }
}

// The real services, unfaked: under Wine they answer "no network" without
// sending anything. On Windows these calls would reach for the server named
// and browse the network, so this test belongs to Wine only.
TEST(NetDrivesReal, WithoutANetworkTheSystemsCodesComeThrough) {
  HostEmulator emu;
  EXPECT_EQ(CallInteger(emu, "KVMapNetDrv",
                        {Value::Text("\\\\srv\\share"), Value::Text("Y:"), Value::Text("u"), Value::Text("p")}),
            ERROR_NO_NETWORK);
  int32_t cancelled = CallInteger(emu, "KVDeleMapDrv", {Value::Text("Y:")});
  EXPECT_NE(cancelled, 0);
  EXPECT_LAST_ERROR(emu, static_cast<DWORD>(cancelled));
  EXPECT_EQ(CallText(emu, "KVEnumNetWork"), "");
  EXPECT_EQ(CallText(emu, "KVComputerBrowser"), "");
}

// ---- The network context ----------------------------------------------------

struct Entry {
  DWORD usage, type;
  const char* remote;
};

const HANDLE kFakeEnum = reinterpret_cast<HANDLE>(0x4E45);

struct FakeContext {
  DWORD openAnswer = NO_ERROR;
  DWORD scope = 99, type = 99, usage = 99;
  bool startResource = true;
  std::vector<Entry> entries;
  bool namesOutsideBuffer = false;  // a provider that does not copy its names
  int enumCalls = 0;
  DWORD requested = 0, bufferSize = 0;
  std::vector<HANDLE> closed;
  std::map<std::string, std::string> hosts;  // name -> 4 address bytes
  std::vector<std::string> asked;
} g_context;

DWORD WINAPI FakeOpenEnum(DWORD scope, DWORD type, DWORD usage, LPNETRESOURCEA start, LPHANDLE handle) {
  g_context.scope = scope;
  g_context.type = type;
  g_context.usage = usage;
  g_context.startResource = start != nullptr;
  if (g_context.openAnswer != NO_ERROR) return g_context.openAnswer;
  *handle = kFakeEnum;
  return NO_ERROR;
}

// Fills the buffer like the provider: records first, names after them,
// as many entries as fit.
DWORD WINAPI FakeEnumResource(HANDLE handle, LPDWORD count, LPVOID buffer, LPDWORD size) {
  ++g_context.enumCalls;
  g_context.requested = *count;
  g_context.bufferSize = *size;
  EXPECT_EQ(handle, kFakeEnum);
  auto* records = static_cast<NETRESOURCEA*>(buffer);
  char* end = static_cast<char*>(buffer) + *size;
  DWORD n = 0;
  for (const Entry& e : g_context.entries) {
    size_t name = e.remote && !g_context.namesOutsideBuffer ? std::strlen(e.remote) + 1 : 0;
    char* recordEnd = reinterpret_cast<char*>(records + n + 1);
    if (recordEnd + name > end) break;
    end -= name;
    NETRESOURCEA r{};
    r.dwScope = RESOURCE_CONTEXT;
    r.dwUsage = e.usage;
    r.dwType = e.type;
    r.lpRemoteName = const_cast<char*>(e.remote);
    if (name) r.lpRemoteName = static_cast<char*>(std::memcpy(end, e.remote, name));
    records[n++] = r;
  }
  if (n == 0) return ERROR_NO_MORE_ITEMS;
  *count = n;
  return NO_ERROR;
}

DWORD WINAPI FakeCloseEnum(HANDLE handle) {
  g_context.closed.push_back(handle);
  return NO_ERROR;
}

hostent* WINAPI FakeGetHostByName(const char* name) {
  static hostent entry;
  static char* list[2];
  static std::string address;
  g_context.asked.push_back(name);
  auto found = g_context.hosts.find(name);
  if (found == g_context.hosts.end()) return nullptr;
  address = found->second;
  list[0] = address.data();
  list[1] = nullptr;
  entry.h_addrtype = AF_INET;
  entry.h_length = 4;
  entry.h_addr_list = list;
  return &entry;
}

class NetContext : public ::testing::Test {
 protected:
  void SetUp() override {
    g_context = {};
    ASSERT_TRUE(open.active() && enumerate.active() && close.active() && resolve.active());
  }
  HostEmulator emu;
  ImportPatch open{emu.module(), "mpr.dll", "WNetOpenEnumA", FakeOf(&FakeOpenEnum)};
  ImportPatch enumerate{emu.module(), "mpr.dll", "WNetEnumResourceA", FakeOf(&FakeEnumResource)};
  ImportPatch close{emu.module(), "mpr.dll", "WNetCloseEnum", FakeOf(&FakeCloseEnum)};
  ImportPatch resolve{emu.module(), "ws2_32.dll", "gethostbyname", FakeOf(&FakeGetHostByName)};
};

TEST_F(NetContext, ListsResolvedContainersOfTypeAnyWithoutBackslashes) {
  g_context.entries = {
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, "\\\\PC1"},
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_DISK, "\\\\DISK"},
      {RESOURCEUSAGE_CONNECTABLE, RESOURCETYPE_ANY, "\\\\SHARE"},
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, nullptr},
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, "\\\\GHOST"},
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, "PC4"},
      {RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, "\\\\\\\\PC5"},
  };
  g_context.hosts = {{"PC1", std::string("\xC0\xA8\x01\x0B", 4)},
                     {"PC4", std::string("\x0A\x00\x00\x04", 4)},
                     {"\\\\PC5", std::string("\x0A\x00\x00\x05", 4)}};
  EXPECT_EQ(CallText(emu, "KVEnumNetWork"), "PC1|192.168.1.11|PC4|10.0.0.4|\\\\PC5|10.0.0.5|");
  EXPECT_EQ(g_context.asked, (std::vector<std::string>{"PC1", "GHOST", "PC4", "\\\\PC5"}));
  EXPECT_EQ(g_context.scope, static_cast<DWORD>(RESOURCE_CONTEXT));
  EXPECT_EQ(g_context.type, static_cast<DWORD>(RESOURCETYPE_ANY));
  EXPECT_EQ(g_context.usage, 0u);
  EXPECT_FALSE(g_context.startResource);
  EXPECT_EQ(g_context.enumCalls, 1);
  EXPECT_EQ(g_context.requested, 0xFFFFFFFFu);
  EXPECT_EQ(g_context.bufferSize, 2048u);
  EXPECT_EQ(g_context.closed, std::vector<HANDLE>{kFakeEnum});
}

TEST_F(NetContext, OnlyTheFirstBatchOf2048BytesIsRead) {
  static std::vector<std::string> names;
  names.clear();
  for (int i = 0; i < 100; ++i) names.push_back("\\\\COMPUTER-" + std::to_string(100 + i));  // all of one length
  for (const std::string& n : names) {
    g_context.entries.push_back({RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, n.c_str()});
    g_context.hosts[n.substr(2)] = std::string("\x0A\x00\x00\x01", 4);
  }
  std::string list = CallText(emu, "KVEnumNetWork");
  size_t fit = 2048 / (sizeof(NETRESOURCEA) + names[0].size() + 1);
  EXPECT_EQ(g_context.asked.size(), fit);
  EXPECT_EQ(list.rfind("COMPUTER-100|10.0.0.1|COMPUTER-101|", 0), 0u) << list;
  EXPECT_EQ(g_context.enumCalls, 1);
}

TEST_F(NetContext, AListLongerThan4095CharactersStopsAtTheLastWholeEntry) {
  static const std::string longName(2000, 'N');
  g_context.namesOutsideBuffer = true;
  for (int i = 0; i < 3; ++i)
    g_context.entries.push_back({RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, longName.c_str()});
  g_context.hosts[longName] = std::string("\x0A\x00\x00\x01", 4);
  std::string list = CallText(emu, "KVEnumNetWork");
  EXPECT_EQ(list, longName + "|10.0.0.1|" + longName + "|10.0.0.1|");
}

TEST_F(NetContext, NothingToListGivesEmptyText) {
  g_context.openAnswer = ERROR_NO_NETWORK;
  EXPECT_EQ(CallText(emu, "KVEnumNetWork"), "");
  EXPECT_EQ(g_context.enumCalls, 0);
  EXPECT_TRUE(g_context.closed.empty());

  g_context = {};
  EXPECT_EQ(CallText(emu, "KVEnumNetWork"), "");  // an empty context
  EXPECT_EQ(g_context.closed, std::vector<HANDLE>{kFakeEnum});

  g_context = {};
  g_context.entries = {{RESOURCEUSAGE_CONTAINER, RESOURCETYPE_ANY, "\\\\GHOST"}};
  EXPECT_EQ(CallText(emu, "KVEnumNetWork"), "");  // nothing resolves
}

// ---- The provider's computer-selection dialog --------------------------------

const HMODULE kFakeProvider = reinterpret_cast<HMODULE>(0x7E570000);

struct FakeProvider {
  bool present = true;
  bool hasDialog = true;
  std::vector<std::string> loaded;
  std::vector<HMODULE> freed;
  // The dialog's answer.
  UINT status = 0;
  BOOL ok = TRUE;
  std::wstring name;
  bool fillWithoutNul = false;
  // What it was given.
  HWND owner = reinterpret_cast<HWND>(1);
  UINT selection = 0, capacity = 0;
  bool helpFile = true;
  DWORD helpContext = 99;
  DWORD loadFlags = 0;
} g_provider;

const void* g_realLoadLibrary;
const void* g_realGetProcAddress;
const void* g_realFreeLibrary;

UINT WINAPI FakeSystemFocusDialog(HWND owner, UINT selection, LPWSTR name, UINT capacity, BOOL* ok, LPWSTR help,
                                  DWORD context) {
  g_provider.owner = owner;
  g_provider.selection = selection;
  g_provider.capacity = capacity;
  g_provider.helpFile = help != nullptr;
  g_provider.helpContext = context;
  if (g_provider.fillWithoutNul) {
    for (UINT i = 0; i < capacity; ++i) name[i] = L'W';
  } else {
    wcsncpy(name, g_provider.name.c_str(), capacity);
  }
  *ok = g_provider.ok;
  return g_provider.status;
}

// The provider is recognised by its file name, wherever the path points.
bool IsProvider(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return _stricmp(path.c_str() + (slash == std::string::npos ? 0 : slash + 1), "ntlanman.dll") == 0;
}

HMODULE WINAPI FakeLoadLibraryEx(LPCSTR name, HANDLE file, DWORD flags) {
  if (!IsProvider(name)) {
    using Fn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
    return reinterpret_cast<Fn>(const_cast<void*>(g_realLoadLibrary))(name, file, flags);
  }
  g_provider.loaded.push_back(name);
  g_provider.loadFlags = flags;
  if (!g_provider.present) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  return kFakeProvider;
}

FARPROC WINAPI FakeGetProcAddress(HMODULE module, LPCSTR name) {
  if (module != kFakeProvider) {
    return reinterpret_cast<FARPROC(WINAPI*)(HMODULE, LPCSTR)>(const_cast<void*>(g_realGetProcAddress))(module, name);
  }
  if (!g_provider.hasDialog || std::strcmp(name, "I_SystemFocusDialog") != 0) return nullptr;
  return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&FakeSystemFocusDialog));
}

BOOL WINAPI FakeFreeLibrary(HMODULE module) {
  if (module != kFakeProvider) {
    return reinterpret_cast<BOOL(WINAPI*)(HMODULE)>(const_cast<void*>(g_realFreeLibrary))(module);
  }
  g_provider.freed.push_back(module);
  return TRUE;
}

class NetBrowser : public ::testing::Test {
 protected:
  void SetUp() override {
    g_provider = {};
    g_realLoadLibrary = load.original();
    g_realGetProcAddress = find.original();
    g_realFreeLibrary = release.original();
    ASSERT_TRUE(load.active() && find.active() && release.active());
  }
  std::string Browse(Caller caller = {}) { return CallText(emu, "KVComputerBrowser", {}, caller); }
  HostEmulator emu;
  ImportPatch load{emu.module(), "kernel32.dll", "LoadLibraryExA", FakeOf(&FakeLoadLibraryEx)};
  ImportPatch find{emu.module(), "kernel32.dll", "GetProcAddress", FakeOf(&FakeGetProcAddress)};
  ImportPatch release{emu.module(), "kernel32.dll", "FreeLibrary", FakeOf(&FakeFreeLibrary)};
};

TEST_F(NetBrowser, TheChosenNameIsPassedOnAsTheDialogGivesIt) {
  g_provider.name = L"\\\\PC-7";
  EXPECT_EQ(Browse(), "\\\\PC-7");
  // From the system folder by its full path, never by bare name.
  char system[MAX_PATH];
  ASSERT_NE(GetSystemDirectoryA(system, sizeof system), 0u);
  EXPECT_EQ(g_provider.loaded, std::vector<std::string>{std::string(system) + "\\ntlanman.dll"});
  EXPECT_EQ(g_provider.loadFlags, static_cast<DWORD>(LOAD_WITH_ALTERED_SEARCH_PATH));
  EXPECT_EQ(g_provider.owner, nullptr);
  EXPECT_EQ(g_provider.selection, 0x001F0003u);
  EXPECT_EQ(g_provider.capacity, 16u);
  EXPECT_FALSE(g_provider.helpFile);
  EXPECT_EQ(g_provider.helpContext, 0u);
  EXPECT_EQ(g_provider.freed, std::vector<HMODULE>{kFakeProvider});
}

TEST_F(NetBrowser, NamesUpTo14AnsiBytesFit) {
  struct Case {
    std::wstring name;
    std::string expected;
  };
  const Case cases[] = {
      {std::wstring(14, L'A'), std::string(14, 'A')},
      {std::wstring(15, L'A'), ""},
      {L"\x4E2D\x6587\x4E2D\x6587\x4E2D\x6587\x4E2D", "\xD6\xD0\xCE\xC4\xD6\xD0\xCE\xC4\xD6\xD0\xCE\xC4\xD6\xD0"},
      {L"\x4E2D\x6587\x4E2D\x6587\x4E2D\x6587\x4E2D\x6587", ""},  // 16 bytes in GBK
  };
  for (const Case& c : cases) {
    g_provider.name = c.name;
    EXPECT_EQ(Browse(), c.expected) << c.name.size();
  }
  g_provider.fillWithoutNul = true;
  EXPECT_EQ(Browse(), "");
}

TEST_F(NetBrowser, AFailedConversionIsRecorded) {
  g_provider.name = std::wstring(15, L'A');
  EXPECT_EQ(Browse(), "");
  EXPECT_LAST_ERROR(emu, ERROR_INSUFFICIENT_BUFFER);
}

TEST_F(NetBrowser, CancelFailureAndAMissingProviderGiveEmptyText) {
  g_provider.name = L"PC";
  g_provider.ok = FALSE;
  EXPECT_EQ(Browse(), "");
  g_provider.ok = TRUE;
  g_provider.status = ERROR_ACCESS_DENIED;
  EXPECT_EQ(Browse(), "");
  EXPECT_EQ(g_provider.freed.size(), 2u);

  g_provider = {};
  g_provider.hasDialog = false;
  EXPECT_EQ(Browse(), "");
  EXPECT_EQ(g_provider.freed, std::vector<HMODULE>{kFakeProvider});

  g_provider = {};
  g_provider.present = false;
  EXPECT_EQ(Browse(), "");
  EXPECT_TRUE(g_provider.freed.empty());
}

TEST_F(NetBrowser, WithoutADisplayTheDialogIsAnsweredAsCancelled) {
  NoDesktop noDisplay(emu);
  ASSERT_TRUE(noDisplay.active());
  g_provider.name = L"PC";
  EXPECT_EQ(Browse(), "");
  EXPECT_TRUE(g_provider.loaded.empty()) << "the provider is not even loaded";
}

// ---- A provider library planted where a bare name would find it ---------------

struct LoadRecord {
  std::vector<std::string> asked;
  std::vector<std::string> loadedFiles;
} g_loads;
const void* g_realLoadA;
const void* g_realLoadExA;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string ModuleFile(HMODULE module) {
  char path[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(module, path, sizeof path);
  return std::string(path, length);
}

void RecordLoad(const char* name, HMODULE module) {
  g_loads.asked.push_back(name);
  if (module) g_loads.loadedFiles.push_back(ModuleFile(module));
}

HMODULE WINAPI RecordingLoadLibrary(LPCSTR name) {
  HMODULE module = reinterpret_cast<HMODULE(WINAPI*)(LPCSTR)>(const_cast<void*>(g_realLoadA))(name);
  RecordLoad(name, module);
  return module;
}

HMODULE WINAPI RecordingLoadLibraryEx(LPCSTR name, HANDLE file, DWORD flags) {
  using Fn = HMODULE(WINAPI*)(LPCSTR, HANDLE, DWORD);
  HMODULE module = reinterpret_cast<Fn>(const_cast<void*>(g_realLoadExA))(name, file, flags);
  RecordLoad(name, module);
  return module;
}

// Restores the current folder at the end of its scope.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& folder) {
    GetCurrentDirectoryA(sizeof previous_, previous_);
    changed_ = SetCurrentDirectoryA(folder.c_str()) != FALSE;
  }
  ~CurrentFolder() { SetCurrentDirectoryA(previous_); }
  bool changed() const { return changed_; }

 private:
  char previous_[MAX_PATH] = {};
  bool changed_ = false;
};

TEST(NetBrowserPlanted, AProviderInTheCurrentFolderIsNeverLoaded) {
  HostEmulator emu;
  TempDir plant;
  // Any loadable DLL serves as the plant: a copy of the library itself.
  ASSERT_TRUE(CopyFileA(ModuleFile(emu.module()).c_str(), plant.file("ntlanman.dll").c_str(), FALSE));
  {
    CurrentFolder inPlant(plant.path());
    ASSERT_TRUE(inPlant.changed());
    // The plant sits where loading by bare name finds it.
    {
      UniqueModule bare(LoadLibraryA("ntlanman.dll"));
      ASSERT_TRUE(bare);
      EXPECT_EQ(Lower(ModuleFile(bare.get())), Lower(plant.file("ntlanman.dll")));
    }

    g_loads = {};
    ImportPatch load(emu.module(), "kernel32.dll", "LoadLibraryA", FakeOf(&RecordingLoadLibrary));
    ImportPatch loadEx(emu.module(), "kernel32.dll", "LoadLibraryExA", FakeOf(&RecordingLoadLibraryEx));
    ASSERT_TRUE(loadEx.active());
    g_realLoadA = load.original();
    g_realLoadExA = loadEx.original();
    EXPECT_EQ(CallText(emu, "KVComputerBrowser"), "");  // this system has no provider of its own
    EXPECT_FALSE(g_loads.asked.empty()) << "the provider was looked for";
    for (const std::string& file : g_loads.loadedFiles) {
      EXPECT_EQ(Lower(file).find(Lower(plant.path())), std::string::npos) << file;
    }
  }
}

}  // namespace
}  // namespace larch::test
