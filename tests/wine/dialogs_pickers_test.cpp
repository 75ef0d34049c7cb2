// The file and folder pickers: the system's dialogs driven through their
// windows, and the records the library builds checked at its imports.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>

#include <cstring>

#include "dialogs_robot.h"
#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;
using namespace std::string_literals;

constexpr int kFileNameBox = 0x47C;  // the pickers' file-name combo box
constexpr int kFilterBox = 0x470;    // the file-type combo box

class Pickers : public testing::Test {
 protected:
  Pickers() {
    CoInitialize(nullptr);  // as the host has done on its thread
    main_.reset(
        CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
    emu.mainWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(main_.get()));
    WriteFile(dir.file("x.txt"), "x");
    WriteFile(dir.file("y.txt"), "y");
  }
  ~Pickers() override {
    main_.reset();
    CoUninitialize();
  }

  // Starts a robot that fills the picker's name box and accepts.
  Robot accept(const std::string& name) {
    return Robot([this, name](Robot& r) {
      HWND picker = r.waitForOwned(main_.get(), "picker");
      if (!picker) return;
      Robot::setText(picker, kFileNameBox, name);
      PostMessageA(picker, WM_COMMAND, IDOK, 0);
      r.waitGone(picker, "picker");
    });
  }
  Robot cancel() {
    return Robot([this](Robot& r) {
      HWND picker = r.waitForOwned(main_.get(), "picker");
      if (!picker) return;
      Robot::key(picker, VK_ESCAPE);
      r.waitGone(picker, "picker");
    });
  }

  HostEmulator emu;
  UniqueWindow main_;
  TempDir dir;
};

const std::vector<std::string> kNoProblems;

std::string CurrentFolder() {
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  return folder;
}

TEST_F(Pickers, OpenOneFileFromTheInitialFolder) {
  std::string before = CurrentFolder();
  Robot robot([&](Robot& r) {
    HWND picker = r.waitForOwned(main_.get(), "open dialog");
    if (!picker) return;
    r.expectEq(SendDlgItemMessageA(picker, kFilterBox, CB_GETCOUNT, 0, 0), LRESULT{1}, "filter entries");
    Robot::setText(picker, kFileNameBox, "x.txt");
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    r.waitGone(picker, "open dialog");
  });
  CallResult result = emu.call("KVGetFile2", {Value::Text("Text files|*.txt|"), Value::Text(dir.path())});
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.text, dir.file("x.txt"));
  EXPECT_EQ(CurrentFolder(), before);
}

TEST_F(Pickers, OpenSeveralFilesGivesFolderAndNames) {
  struct Case {
    std::string typed;
    std::string expected;
  };
  const Case cases[] = {{"\"x.txt\" \"y.txt\"", dir.path() + "|x.txt|y.txt"}, {"y.txt", dir.file("y.txt")}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Robot robot = accept(c.typed);
    CallResult result =
        emu.call("KVGetFile2", {Value::Text("Text|*.txt|All|*.*|"), Value::Text(dir.path()), Value::Int(1)});
    EXPECT_EQ(robot.finish(), kNoProblems) << c.typed;
    EXPECT_EQ(result.value.text, c.expected);
  }
}

TEST_F(Pickers, CancelGivesEmptyText) {
  {
    Robot robot = cancel();
    EXPECT_EQ(emu.call("KVGetFile2", {Value::Text(""), Value::Text("")}).value.text, "");
    EXPECT_EQ(robot.finish(), kNoProblems);
  }
  {
    Robot robot = cancel();
    EXPECT_EQ(emu.call("KVPutFile2", {Value::Text("Text|*.txt|")}).value.text, "");
    EXPECT_EQ(robot.finish(), kNoProblems);
  }
}

TEST_F(Pickers, SaveAddsTheDefaultExtension) {
  Robot robot([&](Robot& r) {
    HWND picker = r.waitForOwned(main_.get(), "save dialog");
    if (!picker) return;
    r.expectText(Robot::text(picker, kFileNameBox), "report", "initial name");
    Robot::setText(picker, kFileNameBox, dir.file("report"));
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    r.waitGone(picker, "save dialog");
  });
  CallResult result = emu.call("KVPutFile2", {Value::Text("Text|*.txt|"), Value::Text("txt"), Value::Text("report")});
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.text, dir.file("report.txt"));
  EXPECT_FALSE(FileExists(dir.file("report.txt")));
}

TEST_F(Pickers, SaveOverAnExistingFileAsksFirst) {
  Robot robot([&](Robot& r) {
    HWND picker = r.waitForOwned(main_.get(), "save dialog");
    if (!picker) return;
    Robot::setText(picker, kFileNameBox, dir.file("x.txt"));
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    HWND question = r.waitForOwned(picker, "overwrite question");
    if (!question) return;
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    r.waitGone(picker, "save dialog");
  });
  CallResult result = emu.call("KVPutFile2", {Value::Text("Text|*.txt|"), Value::Text(""), Value::Text("")});
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.text, dir.file("x.txt"));
}

// What the library hands to the open and save dialogs.
struct SeenRecord {
  OPENFILENAMEA record{};
  std::string filter;
  std::string initialFolder;
  std::string defaultExtension;
  std::string initialName;
  std::string answer;  // what the user chose, NULs included; empty: cancel
};
SeenRecord g_seen;

std::string DoubleNulList(const char* list) {
  if (!list) return "(none)";
  const char* end = list;
  while (end[0] || end[1]) ++end;
  return std::string(list, end + 2);
}

BOOL WINAPI FakeFileDialog(OPENFILENAMEA* record) {
  g_seen.record = *record;
  g_seen.filter = DoubleNulList(record->lpstrFilter);
  g_seen.initialFolder = record->lpstrInitialDir ? record->lpstrInitialDir : "(none)";
  g_seen.defaultExtension = record->lpstrDefExt ? record->lpstrDefExt : "(none)";
  g_seen.initialName = record->lpstrFile;
  if (g_seen.answer.empty()) return FALSE;
  memcpy(record->lpstrFile, g_seen.answer.data(), g_seen.answer.size());
  return TRUE;
}

TEST_F(Pickers, OpenRecordFlagsFollowTheMultipleSwitch) {
  ImportPatch patch(emu.module(), "COMDLG32.dll", "GetOpenFileNameA", FakeOf(&FakeFileDialog));
  ASSERT_TRUE(patch.active());
  struct Case {
    std::vector<Arg> extra;
    DWORD flags;
  };
  const Case cases[] = {{{}, 0x0088100C}, {{Value::Int(0)}, 0x0088100C}, {{Value::Int(1)}, 0x0088120C}};
  for (const Case& c : cases) {
    SCOPED_TRACE("case " + std::to_string(&c - cases + 1));
    std::vector<Arg> args = {Value::Text("Text files|*.txt|"), Value::Text("C:\\a")};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    g_seen = {};
    g_seen.answer = "C:\\a\0x.txt\0y.txt\0\0"s;
    CallResult result = emu.call("KVGetFile2", args);
    EXPECT_EQ(g_seen.record.Flags, c.flags) << c.extra.size();
    EXPECT_EQ(g_seen.record.lStructSize, 76u);
    EXPECT_EQ(g_seen.record.hwndOwner, main_.get());
    EXPECT_EQ(g_seen.record.nMaxFile, 32768u);
    EXPECT_EQ(g_seen.record.nFilterIndex, 0u);
    EXPECT_EQ(g_seen.record.lpstrTitle, nullptr);
    EXPECT_EQ(g_seen.filter, "Text files\0*.txt\0\0"s);
    EXPECT_EQ(g_seen.initialFolder, "C:\\a");
    // A multiple selection is the bar list, as a 'C' value; otherwise the
    // buffer's first text.
    bool multiple = c.flags & OFN_ALLOWMULTISELECT;
    EXPECT_EQ(result.value.text, multiple ? "C:\\a|x.txt|y.txt" : "C:\\a");
    EXPECT_EQ(result.rawType, multiple ? 'C' : 'H');
  }
  g_seen = {};
  emu.call("KVGetFile2", {Value::Text(""), Value::Text("")});
  EXPECT_EQ(g_seen.filter, "(none)");
  EXPECT_EQ(g_seen.initialFolder, "(none)");
}

TEST_F(Pickers, SaveRecord) {
  ImportPatch patch(emu.module(), "COMDLG32.dll", "GetSaveFileNameA", FakeOf(&FakeFileDialog));
  ASSERT_TRUE(patch.active());
  g_seen = {};
  g_seen.answer = "C:\\out\\report.txt\0"s;
  CallResult result =
      emu.call("KVPutFile2", {Value::Text("Text|*.txt;*.log"), Value::Text("txt"), Value::Text("report")});
  EXPECT_EQ(result.value.text, "C:\\out\\report.txt");
  EXPECT_EQ(g_seen.record.lStructSize, 76u);
  EXPECT_EQ(g_seen.record.Flags, 0x0088080Eu);
  EXPECT_EQ(g_seen.record.hwndOwner, main_.get());
  EXPECT_EQ(g_seen.record.nMaxFile, 32768u);
  EXPECT_EQ(g_seen.filter, "Text\0*.txt;*.log\0\0"s);
  EXPECT_EQ(g_seen.defaultExtension, "txt");
  EXPECT_EQ(g_seen.initialName, "report");
  EXPECT_EQ(g_seen.initialFolder, "(none)");

  g_seen = {};
  EXPECT_EQ(emu.call("KVPutFile2", {Value::Text("Text|*.txt"), Value::Text("")}).value.text, "");
  EXPECT_EQ(g_seen.defaultExtension, "(none)");
  EXPECT_EQ(g_seen.initialName, "");
}

// The folder browser: its title text, and the folder it selects at the start.
struct TextSearch {
  const std::string* text;
  HWND found;
};

BOOL CALLBACK MatchChildText(HWND child, LPARAM param) {
  auto* search = reinterpret_cast<TextSearch*>(param);
  if (Robot::text(child) != *search->text) return TRUE;
  search->found = child;
  return FALSE;
}

HWND ChildWithText(HWND parent, const std::string& text) {
  TextSearch search{&text, nullptr};
  EnumChildWindows(parent, MatchChildText, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The text of the folder the browser's tree has selected.
std::string SelectedFolder(HWND browser) {
  HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
  if (!tree) return "(no tree)";
  auto item = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (!item) return "(none)";
  char text[MAX_PATH] = {};
  TVITEMA data{};
  data.mask = TVIF_TEXT;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = MAX_PATH;
  SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&data));
  return text;
}

TEST_F(Pickers, FolderBrowserStartsAtTheGivenFolder) {
  struct Case {
    std::vector<Arg> args;
    std::string title;
    bool accept;
    std::string expected;
  };
  // Folders no test writes into: under the temp folder, which the tests
  // keep changing, Wine's browser now and then stops one level short.
  const std::string drivers = "C:\\windows\\system32\\drivers";
  const std::string fonts = "C:\\windows\\Fonts";
  const Case cases[] = {
      {{Value::Text(drivers), Value::Text("Pick one")}, "Pick one", true, drivers},
      {{Value::Text(fonts), Value::Text(""), Value::Int(0x41)}, "Select a directory", true, fonts},
      {{}, "Select a directory", false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Robot robot([&](Robot& r) {
      HWND browser = r.waitForOwned(main_.get(), "folder browser");
      if (!browser) return;
      if (!ChildWithText(browser, c.title)) r.fail("no title \"" + c.title + "\"");
      if (c.accept) {
        // The tree may still be filling in: wait until the folder named
        // last in the expected path is the selection.
        std::string name = c.expected.substr(c.expected.rfind('\\') + 1);
        std::string selected;
        for (int tries = 0; tries < 500 && (selected = SelectedFolder(browser)) != name; ++tries) Sleep(20);
        r.expectText(selected, name, "selected folder");
      }
      PostMessageA(browser, WM_COMMAND, c.accept ? IDOK : IDCANCEL, 0);
      r.waitGone(browser, "folder browser");
    });
    CallResult result = emu.call("KVGetDir2", c.args);
    EXPECT_EQ(robot.finish(), kNoProblems) << c.title;
    EXPECT_EQ(result.value.text, c.expected);
  }
}

// The computer and printer browser: the record it builds, and the display
// name it returns (the network and printer folders have nothing to choose
// from under the test's system, so the choice is made by the fake).
struct SeenBrowse {
  BROWSEINFOA info{};
  std::string title;
  bool rootIsExpected = false;
  int expectedRoot = 0;
  const char* answer = nullptr;
};
SeenBrowse g_browse;

LPITEMIDLIST WINAPI FakeBrowse(BROWSEINFOA* info) {
  g_browse.info = *info;
  g_browse.title = info->lpszTitle ? info->lpszTitle : "(none)";
  UniqueItemList expected;
  SHGetSpecialFolderLocation(nullptr, g_browse.expectedRoot, expected.put());
  g_browse.rootIsExpected = info->pidlRoot && expected && ILIsEqual(info->pidlRoot, expected.get());
  if (!g_browse.answer) return nullptr;
  lstrcpynA(info->pszDisplayName, g_browse.answer, MAX_PATH);
  return expected.release();  // the caller frees it
}

TEST_F(Pickers, OtherFolderBrowsesComputersOrPrinters) {
  ImportPatch patch(emu.module(), "SHELL32.dll", "SHBrowseForFolderA", FakeOf(&FakeBrowse));
  ASSERT_TRUE(patch.active());
  struct Case {
    int kind;
    int root;
    UINT flags;
    const char* answer;
  };
  const Case cases[] = {{1, CSIDL_NETWORK, BIF_BROWSEFORCOMPUTER, "SERVER1"},
                        {2, CSIDL_PRINTERS, BIF_BROWSEFORPRINTER, "Laser"},
                        {0, CSIDL_PRINTERS, BIF_BROWSEFORPRINTER, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "kind " << c.kind);
    g_browse = {};
    g_browse.expectedRoot = c.root;
    g_browse.answer = c.answer;
    CallResult result = emu.call("KVGetOtherFolder", {Value::Int(c.kind), Value::Text("Choose")});
    EXPECT_EQ(result.value.text, c.answer ? c.answer : "") << c.kind;
    EXPECT_EQ(g_browse.info.ulFlags, c.flags);
    EXPECT_TRUE(g_browse.rootIsExpected) << c.kind;
    EXPECT_EQ(g_browse.info.hwndOwner, nullptr);
    EXPECT_EQ(g_browse.info.lpfn, nullptr);
    EXPECT_EQ(g_browse.title, "Choose");
  }
}

TEST_F(Pickers, OtherFolderOpensUnownedAndCancelGivesEmptyText) {
  for (int kind : {1, 2}) {
    SCOPED_TRACE(::testing::Message() << "kind " << kind);
    Robot robot([&](Robot& r) {
      HWND browser = r.waitForWindow(
          [](HWND w) { return Robot::IsDialog(w) && GetWindow(w, GW_OWNER) == nullptr && ChildWithText(w, "Choose"); },
          "browser titled Choose");
      if (!browser) return;
      Robot::key(browser, VK_ESCAPE);
      r.waitGone(browser, "browser");
    });
    CallResult result = emu.call("KVGetOtherFolder", {Value::Int(kind), Value::Text("Choose")});
    EXPECT_EQ(robot.finish(), kNoProblems) << kind;
    EXPECT_EQ(result.value.text, "");
  }
}

TEST_F(Pickers, FolderBrowserRecord) {
  ImportPatch patch(emu.module(), "SHELL32.dll", "SHBrowseForFolderA", FakeOf(&FakeBrowse));
  ASSERT_TRUE(patch.active());
  // clang-format off
  const std::pair<std::vector<Arg>, UINT> cases[] = {
      {{}, 0x49u}, {{Value::Text(""), Value::Text("")}, 0x49u}, {{Value::Text(""), Value::Text(""), Value::Int(0x1001)}, 0x1001u}};
  for (const auto& [args, flags] : cases) {
    SCOPED_TRACE(::testing::Message() << args.size() << " arguments");
    g_browse = {};
    EXPECT_EQ(emu.call("KVGetDir2", args).value.text, "");
    EXPECT_EQ(g_browse.info.ulFlags, flags);
    EXPECT_EQ(g_browse.info.hwndOwner, main_.get());
    EXPECT_EQ(g_browse.info.pidlRoot, nullptr);
    EXPECT_NE(g_browse.info.lpfn, nullptr);
    EXPECT_EQ(g_browse.title, "Select a directory");
  }
  // clang-format on
  // What the user chose: a folder with a path, or a virtual one without.
  const std::pair<int, std::string> choices[] = {{CSIDL_WINDOWS, "C:\\windows"}, {CSIDL_CONTROLS, ""}};
  for (const auto& [folder, path] : choices) {
    g_browse = {};
    g_browse.expectedRoot = folder;
    g_browse.answer = "chosen";
    EXPECT_EQ(emu.call("KVGetDir2").value.text, path) << folder;
  }
}

// Counts what reaches the system's pickers; each answers as cancelled.
struct SystemCalls {
  int open = 0, save = 0, browse = 0;
  std::string lastName;  // the name buffer handed to the last file dialog
};
SystemCalls g_calls;

BOOL WINAPI CountOpen(OPENFILENAMEA* record) {
  ++g_calls.open;
  g_calls.lastName = record->lpstrFile;
  return FALSE;
}
BOOL WINAPI CountSave(OPENFILENAMEA* record) {
  ++g_calls.save;
  g_calls.lastName = record->lpstrFile;
  return FALSE;
}
LPITEMIDLIST WINAPI CountBrowse(BROWSEINFOA*) {
  ++g_calls.browse;
  return nullptr;
}

class PickerFakes : public Pickers {
 protected:
  PickerFakes()
      : open_(emu.module(), "COMDLG32.dll", "GetOpenFileNameA", FakeOf(&CountOpen)),
        save_(emu.module(), "COMDLG32.dll", "GetSaveFileNameA", FakeOf(&CountSave)),
        browse_(emu.module(), "SHELL32.dll", "SHBrowseForFolderA", FakeOf(&CountBrowse)) {
    g_calls = {};
  }
  bool active() const { return open_.active() && save_.active() && browse_.active(); }

  ImportPatch open_, save_, browse_;
};

// A folder or file name longer than the system's paths is refused before
// any dialog opens; 259 bytes still reach the system.
TEST_F(PickerFakes, PathsBeyondTheSystemLimitAreRefusedBeforeCalling) {
  ASSERT_TRUE(active());
  for (size_t length : {size_t{259}, size_t{260}, size_t{275}, size_t{70000}}) {
    SCOPED_TRACE(length);
    const std::string path = "C:\\" + std::string(length - 3, 'a');
    const int calls = length <= 259 ? 1 : 0;
    g_calls = {};
    EXPECT_EQ(emu.call("KVGetFile2", {Value::Text("Text|*.txt|"), Value::Text(path)}).value.text, "") << length;
    EXPECT_EQ(emu.call("KVGetFile2", {Value::Text("Text|*.txt|"), Value::Text(path), Value::Int(1)}).value.text, "");
    EXPECT_EQ(emu.call("KVPutFile2", {Value::Text("Text|*.txt|"), Value::Text("txt"), Value::Text(path)}).value.text,
              "");
    EXPECT_EQ(emu.call("KVGetDir2", {Value::Text(path)}).value.text, "");
    EXPECT_EQ(g_calls.open, 2 * calls) << length;
    EXPECT_EQ(g_calls.save, calls) << length;
    EXPECT_EQ(g_calls.browse, calls) << length;
    EXPECT_EQ(g_calls.lastName, calls ? path : "") << length;
  }
}

// Without a display the system's pickers crash or block: the library makes
// a window first and, when that fails (error 1400, as it does without a
// display), answers every picker as cancelled without calling it.
TEST_F(PickerFakes, WithoutADisplayEveryPickerAnswersCancelledWithoutCalling) {
  ASSERT_TRUE(active());
  NoDesktop noDisplay(emu);
  ASSERT_TRUE(noDisplay.active());
  const std::pair<const char*, std::vector<Arg>> calls[] = {
      {"KVGetFile2", {Value::Text("Text|*.txt|"), Value::Text("C:\\")}},
      {"KVGetFile2", {Value::Text("Text|*.txt|"), Value::Text(""), Value::Int(1)}},
      {"KVPutFile2", {Value::Text("Text|*.txt|"), Value::Text("txt"), Value::Text("report")}},
      {"KVGetDir2", {}},
      {"KVGetDir2", {Value::Text("C:\\windows"), Value::Text("Pick"), Value::Int(0x41)}},
      {"KVGetOtherFolder", {Value::Int(1), Value::Text("Choose")}},
      {"KVGetOtherFolder", {Value::Int(2), Value::Text("Choose")}},
  };
  for (const auto& [function, args] : calls) {
    CallResult result = emu.call(function, args);
    EXPECT_EQ(result.value.kind, Value::Kind::Char) << function;
    EXPECT_EQ(result.value.text, "") << function;
  }
  EXPECT_EQ(g_calls.open + g_calls.save + g_calls.browse, 0);
}

}  // namespace
}  // namespace larch::test
