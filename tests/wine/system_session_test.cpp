// Session and shell services through the host interface. Ending the
// session or shutting down is never done for real: those services are
// faked at the library's import table and the fakes record what the
// library asked for.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstring>
#include <set>

#include "import_patch.h"
#include "system_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// Everything the shutdown fakes saw.
struct SessionLog {
  DWORD major = 6;             // what GetVersionExA answers
  bool tokenOpens = true;      // OpenProcessToken
  bool privilegeKnown = true;  // LookupPrivilegeValueA
  std::vector<std::string> privileges;
  std::vector<DWORD> tokenAccess;
  std::vector<DWORD> enabledAttributes;
  std::vector<UINT> exitFlags;
  std::vector<DWORD> exitReasons;
  struct Shutdown {
    bool machineNull, messageNull;
    std::string machine, message;
    DWORD timeout;
    BOOL force, restart;
  };
  std::vector<Shutdown> shutdowns;
  BOOL answer = TRUE;
};
SessionLog g_log;

struct Fakes {
  static BOOL WINAPI Version(OSVERSIONINFOA* info) {
    if (info->dwOSVersionInfoSize != 148) return FALSE;
    info->dwMajorVersion = g_log.major;
    info->dwMinorVersion = 0;
    return TRUE;
  }
  static BOOL WINAPI OpenToken(HANDLE process, DWORD access, HANDLE* token) {
    g_log.tokenAccess.push_back(access);
    if (!g_log.tokenOpens) return FALSE;
    return OpenProcessToken(process, access, token);
  }
  static BOOL WINAPI Lookup(LPCSTR system, LPCSTR name, LUID* luid) {
    g_log.privileges.push_back(system ? "(system given)" : name);
    if (!g_log.privilegeKnown) return FALSE;
    return LookupPrivilegeValueA(system, name, luid);
  }
  static BOOL WINAPI Adjust(HANDLE token, BOOL disableAll, TOKEN_PRIVILEGES* state, DWORD length,
                            TOKEN_PRIVILEGES* previous, DWORD* returned) {
    for (DWORD i = 0; i < state->PrivilegeCount; ++i)
      g_log.enabledAttributes.push_back(state->Privileges[i].Attributes);
    return AdjustTokenPrivileges(token, disableAll, state, length, previous, returned);
  }
  static BOOL WINAPI Exit(UINT flags, DWORD reason) {
    g_log.exitFlags.push_back(flags);
    g_log.exitReasons.push_back(reason);
    return g_log.answer;
  }
  static BOOL WINAPI Shutdown(LPSTR machine, LPSTR message, DWORD timeout, BOOL force, BOOL restart) {
    g_log.shutdowns.push_back({machine == nullptr, message == nullptr, machine ? machine : "", message ? message : "",
                               timeout, force, restart});
    return g_log.answer;
  }
};

// The fakes in place for one emulator; the log starts empty.
class SessionFakes {
 public:
  explicit SessionFakes(HostEmulator& emu)
      : version_(emu.module(), "KERNEL32.dll", "GetVersionExA", FakeOf(&Fakes::Version)),
        token_(emu.module(), "ADVAPI32.dll", "OpenProcessToken", FakeOf(&Fakes::OpenToken)),
        lookup_(emu.module(), "ADVAPI32.dll", "LookupPrivilegeValueA", FakeOf(&Fakes::Lookup)),
        adjust_(emu.module(), "ADVAPI32.dll", "AdjustTokenPrivileges", FakeOf(&Fakes::Adjust)),
        exit_(emu.module(), "USER32.dll", "ExitWindowsEx", FakeOf(&Fakes::Exit)),
        shutdown_(emu.module(), "ADVAPI32.dll", "InitiateSystemShutdownA", FakeOf(&Fakes::Shutdown)) {
    g_log = SessionLog{};
  }
  bool active() const {
    return version_.active() && token_.active() && lookup_.active() && adjust_.active() && exit_.active() &&
           shutdown_.active();
  }

 private:
  ImportPatch version_, token_, lookup_, adjust_, exit_, shutdown_;
};

CallResult CallExitWindows(HostEmulator& emu, int32_t action) {
  return emu.call("KVExitWindows", {Value::Int(action)});
}

// A library of its own for each test, with the session fakes in place
// from the start.
class SessionEnd : public ::testing::Test {
 protected:
  HostEmulator emu;
  SessionFakes fakes{emu};
};
class ExitWindows : public SessionEnd {};
class ExitRemoteWindows : public SessionEnd {};

TEST_F(ExitWindows, ActionsToFlagsOnTheNewerFamily) {
  ASSERT_TRUE(fakes.active()) << "never run the real session end";
  // log off, restart, power off for any other value; all forced.
  const std::pair<int32_t, UINT> cases[] = {{0, 0 | 4}, {1, 2 | 4}, {5, 8 | 4}, {-1, 8 | 4}, {2, 8 | 4}};
  for (auto [action, flags] : cases) {
    SCOPED_TRACE(::testing::Message() << "action " << action);
    g_log.exitFlags.clear();
    g_log.privileges.clear();
    CallResult r = CallExitWindows(emu, action);
    EXPECT_TRUE(r.value.logical);
    EXPECT_EQ(g_log.exitFlags, std::vector<UINT>{flags}) << "action " << action;
    EXPECT_EQ(g_log.privileges, std::vector<std::string>{"SeShutdownPrivilege"});
  }
  EXPECT_EQ(g_log.exitReasons, std::vector<DWORD>(5, 0)) << "no reason code";
  EXPECT_EQ(g_log.tokenAccess, std::vector<DWORD>(5, 0x28));
  EXPECT_EQ(g_log.enabledAttributes, std::vector<DWORD>(5, SE_PRIVILEGE_ENABLED));

  // The system's refusal is passed on.
  g_log.answer = FALSE;
  CallResult refused = CallExitWindows(emu, 0);
  ASSERT_EQ(refused.value.kind, Value::Kind::Logical);
  EXPECT_FALSE(refused.value.logical);
}

TEST_F(ExitWindows, OlderFamilyTouchesNoPrivilegeAndShutsDown) {
  ASSERT_TRUE(fakes.active());
  g_log.major = 4;
  for (int32_t action : {0, 1, 5}) EXPECT_TRUE(CallExitWindows(emu, action).value.logical) << action;
  EXPECT_EQ(g_log.exitFlags, (std::vector<UINT>{0, 2, 1}));
  EXPECT_TRUE(g_log.tokenAccess.empty());
  EXPECT_TRUE(g_log.privileges.empty());
}

TEST_F(ExitWindows, NoTokenOrNoPrivilegeAnswersFalse) {
  ASSERT_TRUE(fakes.active());
  g_log.tokenOpens = false;
  EXPECT_FALSE(CallExitWindows(emu, 1).value.logical);
  EXPECT_FALSE(emu.call("KVExitRemoteWindows", {Value::Text("")}).value.logical);
  g_log.tokenOpens = true;
  g_log.privilegeKnown = false;
  EXPECT_FALSE(CallExitWindows(emu, 1).value.logical);
  EXPECT_FALSE(emu.call("KVExitRemoteWindows", {Value::Text("")}).value.logical);
  EXPECT_TRUE(g_log.exitFlags.empty());
  EXPECT_TRUE(g_log.shutdowns.empty());
  EXPECT_TRUE(g_log.enabledAttributes.empty());
}

TEST_F(ExitRemoteWindows, DefaultsAndGivenParameters) {
  ASSERT_TRUE(fakes.active());

  // Only a machine name: 30 seconds, applications forced closed, restart.
  EXPECT_TRUE(emu.call("KVExitRemoteWindows", {Value::Text("")}).value.logical);
  EXPECT_TRUE(emu.call("KVExitRemoteWindows", {Value::Text("\\\\FARPC"), Value::Text("")}).value.logical);
  EXPECT_TRUE(emu.call("KVExitRemoteWindows", {Value::Text("FARPC"), Value::Text("Going down"), Value::Int(5),
                                               Value::Bool(false), Value::Bool(false)})
                  .value.logical);
  ASSERT_EQ(g_log.shutdowns.size(), 3u);
  const auto& local = g_log.shutdowns[0];
  EXPECT_TRUE(local.machineNull) << "an empty name is this machine";
  EXPECT_TRUE(local.messageNull);
  EXPECT_EQ(local.timeout, 30u);
  EXPECT_TRUE(local.force);
  EXPECT_TRUE(local.restart);
  const auto& remote = g_log.shutdowns[1];
  EXPECT_EQ(remote.machine, "\\\\FARPC");
  EXPECT_TRUE(remote.messageNull) << "an empty message is none";
  EXPECT_EQ(remote.timeout, 30u);
  const auto& given = g_log.shutdowns[2];
  EXPECT_EQ(given.message, "Going down");
  EXPECT_EQ(given.timeout, 5u);
  EXPECT_FALSE(given.force);
  EXPECT_FALSE(given.restart);
  // Only the remote privilege, also for this machine.
  EXPECT_EQ(g_log.privileges, std::vector<std::string>(3, "SeRemoteShutdownPrivilege"));

  g_log.answer = FALSE;
  EXPECT_FALSE(emu.call("KVExitRemoteWindows", {Value::Text("FARPC")}).value.logical);
  // The older family cannot shut down another machine.
  g_log.major = 4;
  g_log.shutdowns.clear();
  EXPECT_FALSE(emu.call("KVExitRemoteWindows", {Value::Text("FARPC")}).value.logical);
  EXPECT_TRUE(g_log.shutdowns.empty());
}

// What the library hands ShellExecuteA.
struct ShellCall {
  uintptr_t owner;
  std::string verb, file, parameters, folder;  // "(none)" for a null pointer
  INT show;
  bool operator==(const ShellCall& o) const {
    return owner == o.owner && verb == o.verb && file == o.file && parameters == o.parameters && folder == o.folder &&
           show == o.show;
  }
};
std::vector<ShellCall> g_shellCalls;

HINSTANCE WINAPI FakeShellExecute(HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters, LPCSTR folder, INT show) {
  auto text = [](LPCSTR s) { return s ? std::string(s) : std::string("(none)"); };
  g_shellCalls.push_back(
      {reinterpret_cast<uintptr_t>(owner), text(verb), text(file), text(parameters), text(folder), show});
  return reinterpret_cast<HINSTANCE>(2);  // a failure the library does not report
}

TEST(ShellExecute, ParametersAsHandedToTheShell) {
  HostEmulator emu;
  ImportPatch patch(emu.module(), "SHELL32.dll", "ShellExecuteA", FakeOf(&FakeShellExecute));
  ASSERT_TRUE(patch.active());
  g_shellCalls.clear();
  const std::vector<std::vector<Arg>> calls = {
      {Value::Text("a.txt")},
      {Value::Text("a.txt"), Value::Int(77)},
      {Value::Text("a.txt"), Value::Int(0), Value::Text(""), Value::Text(""), Value::Text("")},
      {Value::Text("b.exe"), Value::Int(5), Value::Text("open"), Value::Text("-q"), Value::Text("C:\\"), Value::Int(3)},
      {Value::Text("")},
  };
  for (const auto& args : calls) {
    EXPECT_FALSE(emu.call("APIShellExecute", args).sent()) << "call " << &args - calls.data() + 1;
  }
  const std::vector<ShellCall> expected = {
      {0, "(none)", "a.txt", "(none)", "(none)", 1},
      {77, "(none)", "a.txt", "(none)", "(none)", 1},
      {0, "", "a.txt", "", "", 1},
      {5, "open", "b.exe", "-q", "C:\\", 3},
  };
  EXPECT_EQ(g_shellCalls, expected) << "an empty file makes no call";
}

TEST(ShellExecute, OpensADocumentInItsProgram) {
  ASSERT_TRUE(TopLevelWindows("Notepad").empty());
  HostEmulator emu;
  TempDir dir;
  // A settings file: its type opens in Notepad in every prefix.
  const std::string document = dir.file("larch note.ini");
  WriteFile(document, "opened by the shell");
  EXPECT_FALSE(emu.call("APIShellExecute", {Value::Text(document)}).sent());
  HWND notepad = WaitForNewWindow("Notepad", {});
  ASSERT_TRUE(notepad) << "the document opens in Notepad";
  // Notepad reads the file after its window exists.
  HWND edit = FindWindowExA(notepad, nullptr, "Edit", nullptr);
  std::string shown;
  for (int i = 0; i < 200 && (shown = WindowText(edit)).empty(); ++i) Sleep(50);
  EXPECT_EQ(shown, "opened by the shell");
  EndProcessOfWindow(notepad);
}

// The show command of a shell link is the dword at 0x3C of its header.
uint32_t LinkShowCommand(const std::string& bytes) {
  uint32_t show = 0;
  if (bytes.size() >= 0x40) std::memcpy(&show, bytes.data() + 0x3C, 4);
  return show;
}

// Each test has a library of its own and a fresh folder for the links.
class CreateShortcut : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(CreateShortcut, WritesALinkWithTheMappedShowCommand) {
  const std::string target = dir.file("target program.exe");
  WriteFile(target, "MZ");
  struct Case {
    std::vector<Arg> extra;  // working folder, show kind, description
    uint32_t show;
  };
  const Case cases[] = {
      {{}, 1},
      {{Value::Text(dir.path()), Value::Int(2), Value::Text("Larch link")}, 7},
      {{Value::Text(dir.path()), Value::Int(3)}, 3},
      {{Value::Text(""), Value::Int(9)}, 1},
      {{Value::Text(""), Value::Int(0)}, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    const std::string link = dir.file("link" + std::to_string(++n) + ".lnk");
    std::vector<Arg> args = {Value::Text(target), Value::Text(link)};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    CallResult r = emu.call("KVCreateShortcut", args);
    EXPECT_TRUE(r.value.logical) << link;
    const std::string bytes = ReadFile(link);
    ASSERT_GE(bytes.size(), 0x4Cu) << link;
    EXPECT_EQ(bytes.substr(0, 4), std::string("\x4C\0\0\0", 4)) << Hex(bytes.substr(0, 4));
    EXPECT_EQ(LinkShowCommand(bytes), c.show) << link;
    EXPECT_NE(bytes.find("target program.exe"), std::string::npos) << "the target path is in the link";
  }
  // The description is kept in UTF-16.
  const std::string described = ReadFile(dir.file("link2.lnk"));
  EXPECT_NE(described.find(std::string("L\0a\0r\0c\0h\0 \0l\0i\0n\0k\0", 20)), std::string::npos);
}

TEST_F(CreateShortcut, RefusedInputs) {
  const std::string link = dir.file("refused.lnk");
  for (const auto& args : std::vector<std::vector<Arg>>{{Value::Text(""), Value::Text(link)},
                                                        {Value::Text("C:\\windows\\notepad.exe"), Value::Text("")}}) {
    CallResult r = emu.call("KVCreateShortcut", args);
    ASSERT_EQ(r.value.kind, Value::Kind::Logical);
    EXPECT_FALSE(r.value.logical);
  }
  // A file name longer than a path is refused, not saved cut short.
  const std::string tooLong = dir.path() + "\\" + std::string(300, 'x') + ".lnk";
  EXPECT_FALSE(
      emu.call("KVCreateShortcut", {Value::Text("C:\\windows\\notepad.exe"), Value::Text(tooLong)}).value.logical);
  EXPECT_FALSE(FileExists(link));
}

TEST_F(CreateShortcut, ADescriptionPastTheTipSizeIsCut) {
  const std::string link = dir.file("described.lnk");
  CallResult r = emu.call("KVCreateShortcut", {Value::Text("C:\\windows\\notepad.exe"), Value::Text(link),
                                               Value::Text(""), Value::Int(1), Value::Text(std::string(70000, 'x'))});
  EXPECT_TRUE(r.value.logical);
  // The description is kept in UTF-16: 1,023 characters of it, no more.
  std::string wide;
  for (int i = 0; i < 1023; ++i) wide.append("x\0", 2);
  const std::string bytes = ReadFile(link);
  const size_t at = bytes.find(wide);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(bytes.substr(at + wide.size(), 2), std::string("x\0", 2));
}

TEST(GetGUID, NewVersionFourUuidsInTheSystemsForm) {
  HostEmulator emu;
  std::set<std::string> seen;
  for (int i = 0; i < 500; ++i) {
    CallResult r = emu.call("KVGetGUID");
    const std::string& id = r.value.text;
    ASSERT_EQ(id.size(), 36u) << id;
    for (size_t at = 0; at < id.size(); ++at) {
      if (at == 8 || at == 13 || at == 18 || at == 23) {
        ASSERT_EQ(id[at], '-') << id;
      } else {
        ASSERT_TRUE(std::isxdigit(static_cast<unsigned char>(id[at])) &&
                    !std::isupper(static_cast<unsigned char>(id[at])))
            << id;
      }
    }
    EXPECT_EQ(id[14], '4') << "version nibble: " << id;
    EXPECT_NE(std::string("89ab").find(id[19]), std::string::npos) << "variant: " << id;
    seen.insert(id);
  }
  EXPECT_EQ(seen.size(), 500u);
}

}  // namespace
}  // namespace larch::test
