// The login, SQL Server and Access dialogs, driven through their real
// windows: what they show, what OK accepts or refuses with which warning,
// and what the read-back functions return afterwards.
#include <gtest/gtest.h>

#include "dialogs_robot.h"
#include "import_patch.h"
#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// The host with a main window of its own, which must own the dialogs.
class ConnectionDialogs : public testing::Test {
 protected:
  ConnectionDialogs() {
    main_.reset(
        CreateWindowExA(0, "STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
    emu.mainWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(main_.get()));
  }

  std::string text(const char* function, Caller caller = {}) { return CallText(emu, function, {}, caller); }
  void expectOwned(Robot& r, HWND dialog) {
    if (GetWindow(dialog, GW_OWNER) != main_.get()) r.fail("dialog not owned by the host's main window");
  }

  HostEmulator emu;
  UniqueWindow main_;
};

const std::vector<std::string> kNoProblems;

TEST_F(ConnectionDialogs, ReadBacksBeforeAnyDialogAreEmpty) {
  for (const char* f :
       {"KVGetLoginName", "KVGetLoginPassword", "KVGetSqlServerName", "KVGetSqlDataBase", "KVGetSqlUserName",
        "KVGetSqlPassword", "KVGetMdbFileName", "KVGetMdbUserName", "KVGetMdbPassword"}) {
    EXPECT_EQ(CallText(emu, f), "") << f;
  }
  EXPECT_EQ(CallInteger(emu, "KVGetSqlTimeOut"), 0);
  EXPECT_FALSE(CallLogical(emu, "KVGetSqlTrusted"));
}

TEST_F(ConnectionDialogs, LoginAcceptsAtMost32CharactersOfUserName) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
    if (!dialog) return;
    expectOwned(r, dialog);
    r.expectText(Robot::text(dialog, 1013), Gbk("用户名:"), "user label");
    r.expectText(Robot::text(dialog, 1014), Gbk("密码:"), "password label");
    r.expectText(Robot::text(dialog, IDOK), Gbk("确定"), "OK button");
    r.expectText(Robot::text(dialog, IDCANCEL), Gbk("取消"), "Cancel button");
    r.expectText(Robot::text(dialog, 1000), "guest", "initial user name");
    r.expectText(Robot::text(dialog, 1001), "", "initial password");
    Robot::clearAndType(dialog, 1000, std::string(40, 'u'));
    r.expectText(Robot::text(dialog, 1000), std::string(32, 'u'), "typed user name");
    Robot::type(dialog, 1001, std::string(33, 'p'));
    Robot::click(dialog, IDOK);
    r.waitGone(dialog, "login dialog");
  });
  CallResult result = emu.call("KVShowLoginDlg", {Value::Text("guest")});
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(result.value.width, 10);
  EXPECT_EQ(text("KVGetLoginName"), std::string(32, 'u'));
  EXPECT_EQ(text("KVGetLoginPassword"), std::string(32, 'p'));
}

std::vector<Arg> SqlArgs(int32_t timeOut, bool trusted, int lockFlags = -1) {
  std::vector<Arg> args = {Value::Text("srv"), Value::Text("db"),   Value::Text("sa"),
                           Value::Text("pw"),  Value::Int(timeOut), Value::Bool(trusted)};
  if (lockFlags >= 0) args.push_back(Value::Int(lockFlags));
  return args;
}

// Distinct Chinese characters, as many as asked.
std::wstring ChineseText(size_t count, wchar_t first = L'\x4E00') {
  std::wstring text;
  for (size_t i = 0; i < count; ++i) text += static_cast<wchar_t>(first + i);
  return text;
}

void TypeWide(HWND dialog, int id, const std::wstring& text) {
  HWND box = GetDlgItem(dialog, id);
  SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  for (wchar_t c : text) SendMessageW(box, WM_CHAR, c, 1);
}

std::wstring ShownText(HWND dialog, int id) {
  wchar_t text[1024] = {};
  GetDlgItemTextW(dialog, id, text, 1024);
  return text;
}

// Chinese text typed into every text box of the three dialogs: a box of 32
// characters takes 32 Chinese characters, shows them all, and all of them
// are read back.
TEST_F(ConnectionDialogs, ChineseTypedIntoEveryBoxIsReadBackWhole) {
  TempDir dir;
  struct Box {
    int id;
    const char* readBack;
  };
  struct Dialog {
    const char* caption;  // UTF-8
    const char* show;
    std::vector<Box> boxes;
  };
  // clang-format off
  const Dialog dialogs[] = {
      {"请输入登录帐号:", "KVShowLoginDlg", {{1000, "KVGetLoginName"}, {1001, "KVGetLoginPassword"}}},
      {"设置MSSQLServer连接参数", "KVShowSqlSetDlg",
       {{1004, "KVGetSqlServerName"}, {1005, "KVGetSqlDataBase"}, {1006, "KVGetSqlUserName"}, {1007, "KVGetSqlPassword"}}},
      {"设置MS Access连接参数", "KVShowAccessSetDlg", {{1009, "KVGetMdbUserName"}, {1010, "KVGetMdbPassword"}}},
  };
  // clang-format on
  struct Count {
    size_t typed, kept;
  };
  const Count counts[] = {{19, 19}, {20, 20}, {32, 32}, {33, 32}};
  for (const Dialog& d : dialogs) {
    for (const Count& count : counts) {
      SCOPED_TRACE(::testing::Message() << d.show << ", " << count.typed << " characters typed");
      // The Access dialog needs a database that exists: one with a Chinese
      // name as long as the texts, typed into its file box too.
      const std::wstring name = ChineseText(count.kept, L'\x6C00');
      const std::string database = dir.file(Narrow(name, kGbk) + ".mdb");
      const bool access = std::string(d.show) == "KVShowAccessSetDlg";
      if (access) WriteFile(database, "x");
      std::vector<std::wstring> shown(d.boxes.size());
      std::wstring shownFile;
      Robot robot([&](Robot& r) {
        HWND dialog = r.waitForDialog(Gbk(d.caption));
        if (!dialog) return;
        for (size_t b = 0; b < d.boxes.size(); ++b) {
          TypeWide(dialog, d.boxes[b].id, ChineseText(count.typed, static_cast<wchar_t>(L'\x4E00' + 0x100 * b)));
          shown[b] = ShownText(dialog, d.boxes[b].id);
        }
        if (access) {
          TypeWide(dialog, 1008, Wide(database, kGbk));
          shownFile = ShownText(dialog, 1008);
        }
        Robot::click(dialog, IDOK);
        r.waitGone(dialog, d.caption);
      });
      std::vector<Arg> args;
      if (access) args = {Value::Text(""), Value::Text(""), Value::Text("")};
      else if (std::string(d.show) == "KVShowSqlSetDlg") args = SqlArgs(30, false);
      else args = {Value::Text("")};
      CallResult result = emu.call(d.show, args);
      ASSERT_EQ(robot.finish(), kNoProblems) << d.show << " " << count.typed;
      EXPECT_EQ(result.value.integer, 1) << d.show << " " << count.typed;
      for (size_t b = 0; b < d.boxes.size(); ++b) {
        const std::wstring expected = ChineseText(count.kept, static_cast<wchar_t>(L'\x4E00' + 0x100 * b));
        EXPECT_EQ(shown[b], expected) << d.boxes[b].readBack << " " << count.typed;
        EXPECT_EQ(Hex(text(d.boxes[b].readBack)), Hex(Narrow(expected, kGbk)))
            << d.boxes[b].readBack << " " << count.typed;
      }
      if (access) {
        EXPECT_EQ(shownFile, Wide(database, kGbk));
        EXPECT_EQ(Hex(text("KVGetMdbFileName")), Hex(database)) << count.typed;
      }
    }
  }
}

// A preset text longer than its box is shown whole, and the OK keeps the
// box's number of characters, never half of one.
TEST_F(ConnectionDialogs, LoginCutsALongPresetNameAfter32Characters) {
  const std::pair<std::string, std::string> cases[] = {
      {Narrow(ChineseText(40), kGbk), Narrow(ChineseText(32), kGbk)},
      {"a" + Narrow(ChineseText(40), kGbk), "a" + Narrow(ChineseText(31), kGbk)},
      {std::string(40, 'n'), std::string(32, 'n')},
  };
  for (const auto& [preset, kept] : cases) {
    SCOPED_TRACE(Hex(preset));
    Robot robot([&, preset = preset](Robot& r) {
      HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
      if (!dialog) return;
      r.expectText(Robot::text(dialog, 1000), preset, "preset name");
      Robot::click(dialog, IDOK);
      r.waitGone(dialog, "login dialog");
    });
    CallResult result = emu.call("KVShowLoginDlg", {Value::Text(preset)});
    EXPECT_EQ(robot.finish(), kNoProblems);
    EXPECT_EQ(result.value.integer, 1);
    EXPECT_EQ(Hex(text("KVGetLoginName")), Hex(kept));
  }
}

// With a preset name the cursor starts in the name box with the whole name
// selected: typing replaces the name, and the password needs a Tab first.
TEST_F(ConnectionDialogs, LoginStartsInTheNameBoxWithThePresetSelected) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
    if (!dialog) return;
    // The dialog shows before the system has finished activating it: wait
    // (bounded) for the focus to land in it.
    const HWND nameBox = GetDlgItem(dialog, 1000);
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    for (int tries = 0; tries < 500; ++tries) {
      GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
      if (IsChild(dialog, info.hwndFocus)) break;
      Sleep(20);
    }
    r.expectEq(info.hwndFocus, nameBox, "focus in the name box");
    DWORD start = 0, end = 0;
    SendDlgItemMessageA(dialog, 1000, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    r.expectEq(start, DWORD{0}, "selection start");
    r.expectEq(end, DWORD{5}, "selection end");
    Robot::click(dialog, IDCANCEL);
    r.waitGone(dialog, "login dialog");
  });
  EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text("guest")}).value.integer, 2);
  EXPECT_EQ(robot.finish(), kNoProblems);
}

TEST_F(ConnectionDialogs, LoginRefusesAnEmptyUserNameButKeepsWhatItRead) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
    if (!dialog) return;
    Robot::setText(dialog, 1000, "");
    Robot::type(dialog, 1001, "pw");
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "UserName can not empty.");
    if (!IsWindow(dialog)) r.fail("the dialog closed after a refused OK");
    Robot::key(dialog, VK_ESCAPE);
    r.waitGone(dialog, "login dialog");
  });
  CallResult result = emu.call("KVShowLoginDlg", {Value::Text("")});
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 2);
  EXPECT_EQ(text("KVGetLoginName"), "");
  EXPECT_EQ(text("KVGetLoginPassword"), "pw");
}

TEST_F(ConnectionDialogs, LoginCancelKeepsTheLastAcceptedValues) {
  const std::pair<std::string, int32_t> rounds[] = {{"first", 1}, {"second", 2}};
  for (const auto& [name, code] : rounds) {
    SCOPED_TRACE(name);
    Robot robot([&, code = code](Robot& r) {
      HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
      if (!dialog) return;
      Robot::click(dialog, code == 1 ? IDOK : IDCANCEL);
      r.waitGone(dialog, "login dialog");
    });
    EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text(name)}).value.integer, code);
    EXPECT_EQ(robot.finish(), kNoProblems);
  }
  EXPECT_EQ(text("KVGetLoginName"), "first");
}

TEST_F(ConnectionDialogs, SqlShowsItsParametersAndLocks) {
  struct Case {
    int lockFlags;  // -1: not passed
    bool trusted;
    bool serverEnabled, databaseEnabled;
  };
  const Case cases[] = {
      {-1, false, true, true}, {1, false, false, true}, {2, true, true, false}, {3, true, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "lock flags " << c.lockFlags << ", trusted " << c.trusted);
    Robot robot([&](Robot& r) {
      HWND dialog = r.waitForDialog(Gbk("设置MSSQLServer连接参数"));
      if (!dialog) return;
      expectOwned(r, dialog);
      r.expectText(Robot::text(dialog, 1008), Gbk("服务器名:"), "server label");
      r.expectText(Robot::text(dialog, 1003), Gbk("信任当前的Windows登录连接(&L)"), "check box");
      r.expectText(Robot::text(dialog, 1012), Gbk("等待超时时间(10 - 60 秒):"), "time-out label");
      r.expectText(Robot::text(dialog, 1004), "srv", "server");
      r.expectText(Robot::text(dialog, 1005), "db", "database");
      r.expectText(Robot::text(dialog, 1006), "sa", "user");
      r.expectText(Robot::text(dialog, 1007), "pw", "password");
      r.expectText(Robot::text(dialog, 1000), "25", "time-out");
      r.expectEq(Robot::checked(dialog, 1003), c.trusted, "check box state");
      r.expectEq(Robot::enabled(dialog, 1004), c.serverEnabled, "server box enabled");
      r.expectEq(Robot::enabled(dialog, 1005), c.databaseEnabled, "database box enabled");
      // The trusted rule, at the start and after each click on the box.
      for (bool trusted : {c.trusted, !c.trusted, c.trusted}) {
        r.expectEq(Robot::enabled(dialog, 1006), !trusted, "user box enabled");
        r.expectEq(Robot::enabled(dialog, 1007), !trusted, "password box enabled");
        SendDlgItemMessageA(dialog, 1003, BM_CLICK, 0, 0);
      }
      Robot::closeBox(dialog);
      r.waitGone(dialog, "SQL Server dialog");
    });
    CallResult result = emu.call("KVShowSqlSetDlg", SqlArgs(25, c.trusted, c.lockFlags));
    EXPECT_EQ(robot.finish(), kNoProblems) << c.lockFlags;
    EXPECT_EQ(result.value.integer, 2);
  }
  EXPECT_EQ(text("KVGetSqlServerName"), "");
}

TEST_F(ConnectionDialogs, SqlTimeOutMustLieWithin10And60) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MSSQLServer连接参数"));
    if (!dialog) return;
    Robot::setText(dialog, 1006, "");
    for (const char* invalid : {"9", "61", ""}) {
      Robot::setText(dialog, 1000, invalid);
      Robot::click(dialog, IDOK);
      r.expectWarning(dialog, "Time out is invalid.");
    }
    // A valid time-out is stored, and so is everything else, before the
    // missing user name is refused.
    Robot::clearAndType(dialog, 1000, "10");
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "UserName can not empty.");
    Robot::type(dialog, 1006, "admin");
    Robot::clearAndType(dialog, 1000, "60");
    Robot::click(dialog, IDOK);
    r.waitGone(dialog, "SQL Server dialog");
  });
  CallResult result = emu.call("KVShowSqlSetDlg", SqlArgs(30, false));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(text("KVGetSqlServerName"), "srv");
  EXPECT_EQ(text("KVGetSqlDataBase"), "db");
  EXPECT_EQ(text("KVGetSqlUserName"), "admin");
  EXPECT_EQ(text("KVGetSqlPassword"), "pw");
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 60);
  EXPECT_FALSE(emu.call("KVGetSqlTrusted").value.logical);
}

TEST_F(ConnectionDialogs, SqlTrustedLoginNeedsNoUserName) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MSSQLServer连接参数"));
    if (!dialog) return;
    Robot::setText(dialog, 1006, "");
    Robot::key(GetDlgItem(dialog, 1000), VK_RETURN);
    r.waitGone(dialog, "SQL Server dialog");
  });
  CallResult result = emu.call("KVShowSqlSetDlg", SqlArgs(15, true));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(text("KVGetSqlUserName"), "");
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 15);
  EXPECT_TRUE(emu.call("KVGetSqlTrusted").value.logical);
}

TEST_F(ConnectionDialogs, SqlZeroTimeOutIsShownRefusedAndStored) {
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MSSQLServer连接参数"));
    if (!dialog) return;
    r.expectText(Robot::text(dialog, 1000), "0", "time-out box");
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "Time out is invalid.");
    Robot::key(dialog, VK_ESCAPE);
    r.waitGone(dialog, "SQL Server dialog");
  });
  CallResult result = emu.call("KVShowSqlSetDlg", SqlArgs(0, false));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 2);
  // The refused OK stored the time-out and nothing else.
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 0);
  EXPECT_EQ(text("KVGetSqlServerName"), "");
  EXPECT_EQ(text("KVGetSqlUserName"), "");
}

TEST_F(ConnectionDialogs, SqlArrowsKeepTheTimeOutInRange) {
  struct Step {
    const char* before;  // nullptr: leave the box as it is
    UINT key;
    const char* after;
  };
  const Step steps[] = {{"35", VK_UP, "36"},   {"60", VK_UP, "60"},      {"10", VK_DOWN, "10"},
                        {"11", VK_DOWN, "10"}, {nullptr, VK_DOWN, "10"}, {"59", VK_UP, "60"}};
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MSSQLServer连接参数"));
    if (!dialog) return;
    HWND box = GetDlgItem(dialog, 1000);
    for (const Step& s : steps) {
      if (s.before) Robot::setText(dialog, 1000, s.before);
      Robot::keyNow(box, s.key);
      r.expectText(Robot::text(box), s.after, std::string("arrow from ") + (s.before ? s.before : "last"));
    }
    Robot::click(dialog, IDOK);
    r.waitGone(dialog, "SQL Server dialog");
  });
  CallResult result = emu.call("KVShowSqlSetDlg", SqlArgs(20, false));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 60);
}

std::vector<Arg> AccessArgs(const std::string& file, const std::string& user, int enable = -1) {
  std::vector<Arg> args = {Value::Text(file), Value::Text(user), Value::Text("pw")};
  if (enable >= 0) args.push_back(Value::Int(enable));
  return args;
}

TEST_F(ConnectionDialogs, AccessChecksFileThenUserName) {
  TempDir dir;
  std::string database = dir.file("data.mdb");
  WriteFile(database, "x");
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MS Access连接参数"));
    if (!dialog) return;
    expectOwned(r, dialog);
    r.expectText(Robot::text(dialog, 1000), Gbk("文件名:"), "file label");
    r.expectText(Robot::text(dialog, 1011), "...", "browse button");
    r.expectText(Robot::text(dialog, 1008), "", "file box");
    r.expectEq(Robot::enabled(dialog, 1009), true, "user box enabled");
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "filename can not empty.");
    Robot::type(dialog, 1008, dir.file("none.mdb"));
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "file not exist.");
    Robot::clearAndType(dialog, 1008, database);
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "UserName can not empty.");
    Robot::type(dialog, 1009, "admin");
    Robot::click(dialog, IDOK);
    r.waitGone(dialog, "Access dialog");
  });
  CallResult result = emu.call("KVShowAccessSetDlg", AccessArgs("", ""));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(text("KVGetMdbFileName"), database);
  EXPECT_EQ(text("KVGetMdbUserName"), "admin");
  EXPECT_EQ(text("KVGetMdbPassword"), "pw");
}

TEST_F(ConnectionDialogs, AccessWithDisabledEmptyUserCanOnlyBeCancelled) {
  TempDir dir;
  std::string database = dir.file("data.mdb");
  WriteFile(database, "x");
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MS Access连接参数"));
    if (!dialog) return;
    r.expectText(Robot::text(dialog, 1008), database, "file box");
    r.expectEq(Robot::enabled(dialog, 1009), false, "user box enabled");
    r.expectEq(Robot::enabled(dialog, 1010), false, "password box enabled");
    Robot::click(dialog, IDOK);
    r.expectWarning(dialog, "UserName can not empty.");
    Robot::click(dialog, IDCANCEL);
    r.waitGone(dialog, "Access dialog");
  });
  CallResult result = emu.call("KVShowAccessSetDlg", AccessArgs(database, "", 0));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 2);
  // The refused OK had stored all three texts.
  EXPECT_EQ(text("KVGetMdbFileName"), database);
  EXPECT_EQ(text("KVGetMdbUserName"), "");
  EXPECT_EQ(text("KVGetMdbPassword"), "pw");
}

TEST_F(ConnectionDialogs, AccessBrowseButtonFillsTheFileBox) {
  TempDir dir;
  std::string database = dir.file("picked.mdb");
  WriteFile(database, "x");
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("设置MS Access连接参数"));
    if (!dialog) return;
    r.expectEq(Robot::enabled(dialog, 1009), true, "user box enabled");
    Robot::click(dialog, 1011);
    HWND picker = r.waitForOwned(dialog, "file-open dialog");
    if (!picker) return;
    Robot::setText(picker, 0x47C, database);  // the file-name box
    PostMessageA(picker, WM_COMMAND, IDOK, 0);
    r.waitGone(picker, "file-open dialog");
    r.expectText(Robot::text(dialog, 1008), database, "file box after browsing");
    Robot::click(dialog, IDOK);
    r.waitGone(dialog, "Access dialog");
  });
  CallResult result = emu.call("KVShowAccessSetDlg", AccessArgs("old.mdb", "admin", 1));
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(result.value.integer, 1);
  EXPECT_EQ(text("KVGetMdbFileName"), database);
}

int g_pathLooks = 0;
BOOL WINAPI CountPathLooks(LPCSTR) {
  ++g_pathLooks;
  return FALSE;
}

// A preset file name longer than the system's paths is shown, but OK calls
// it missing without asking the file system; 259 bytes are still looked up.
TEST_F(ConnectionDialogs, AccessRefusesANameBeyondThePathLimitWithoutALook) {
  ImportPatch patch(emu.module(), "SHLWAPI.dll", "PathFileExistsA", FakeOf(&CountPathLooks));
  ASSERT_TRUE(patch.active());
  for (size_t length : {size_t{259}, size_t{260}, size_t{275}, size_t{70000}}) {
    SCOPED_TRACE(length);
    const std::string file = "C:\\" + std::string(length - 3, 'f');
    g_pathLooks = 0;
    Robot robot([&](Robot& r) {
      HWND dialog = r.waitForDialog(Gbk("设置MS Access连接参数"));
      if (!dialog) return;
      Robot::click(dialog, IDOK);
      r.expectWarning(dialog, "file not exist.");
      Robot::click(dialog, IDCANCEL);
      r.waitGone(dialog, "Access dialog");
    });
    CallResult result = emu.call("KVShowAccessSetDlg", AccessArgs(file, "admin"));
    EXPECT_EQ(robot.finish(), kNoProblems) << length;
    EXPECT_EQ(result.value.integer, 2);
    EXPECT_EQ(g_pathLooks, length <= 259 ? 1 : 0) << length;
    // The refused OK stored the name as far as its box holds.
    EXPECT_EQ(text("KVGetMdbFileName"), file.substr(0, 259)) << length;
  }
}

int g_messageBoxes = 0;
int WINAPI CountMessageBoxes(HWND, LPCSTR, LPCSTR, UINT) {
  ++g_messageBoxes;
  return IDOK;
}
int g_dialogBoxes = 0;
INT_PTR WINAPI CountDialogBoxes(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  ++g_dialogBoxes;
  return -1;
}

// The library tells a missing display by a window it cannot make (error
// 1400): then no dialog is asked for at all, and every show function
// answers -1.
TEST_F(ConnectionDialogs, WithoutADisplayNoDialogIsAskedFor) {
  NoDesktop noDisplay(emu);
  ImportPatch dialogs(emu.module(), "USER32.dll", "DialogBoxParamA", FakeOf(&CountDialogBoxes));
  ASSERT_TRUE(noDisplay.active() && dialogs.active());
  g_dialogBoxes = 0;
  EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text("guest")}).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowSqlSetDlg", SqlArgs(30, true, 3)).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAccessSetDlg", AccessArgs("a.mdb", "admin")).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAboutDlg", {Value::Text("a"), Value::Text("b"), Value::Text("c")}).value.integer, -1);
  EXPECT_EQ(g_dialogBoxes, 0);
}

// The dialogs' warning box is not shown when the display has gone while a
// dialog was open: the refused OK leaves the dialog open as before.
TEST_F(ConnectionDialogs, WithoutADisplayTheWarningIsNotShown) {
  ImportPatch boxes(emu.module(), "USER32.dll", "MessageBoxA", FakeOf(&CountMessageBoxes));
  ASSERT_TRUE(boxes.active());
  g_messageBoxes = 0;
  int boxesWithDisplay = -1, boxesWithout = -1;
  Robot robot([&](Robot& r) {
    HWND dialog = r.waitForDialog(Gbk("请输入登录帐号:"));
    if (!dialog) return;
    Robot::setText(dialog, 1000, "");
    // Sent, not posted: the OK has been handled when the call returns.
    SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
    boxesWithDisplay = g_messageBoxes;
    {
      NoDesktop noDisplay(emu);
      SendDlgItemMessageA(dialog, IDOK, BM_CLICK, 0, 0);
      boxesWithout = g_messageBoxes - boxesWithDisplay;
    }
    if (!IsWindow(dialog)) r.fail("the dialog closed after a refused OK");
    Robot::click(dialog, IDCANCEL);
    r.waitGone(dialog, "login dialog");
  });
  EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text("")}).value.integer, 2);
  EXPECT_EQ(robot.finish(), kNoProblems);
  EXPECT_EQ(boxesWithDisplay, 1);
  EXPECT_EQ(boxesWithout, 0);
}

// Without a display the system cannot create a dialog: DialogBoxParamA
// answers -1 with error 1400. The test process shares a display-bound
// session, so that answer is put in place at the library's import.
INT_PTR WINAPI NoDisplayDialogBox(HINSTANCE, LPCSTR, HWND, DLGPROC, LPARAM) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return -1;
}

TEST_F(ConnectionDialogs, WithoutADisplayEveryDialogAnswersMinusOneAndStoresNothing) {
  ImportPatch patch(emu.module(), "USER32.dll", "DialogBoxParamA", FakeOf(&NoDisplayDialogBox));
  ASSERT_TRUE(patch.active());
  EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text("guest")}).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowSqlSetDlg", SqlArgs(30, true, 3)).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAccessSetDlg", AccessArgs("a.mdb", "admin")).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAboutDlg", {Value::Text("a"), Value::Text("b"), Value::Text("c")}).value.integer, -1);
  EXPECT_EQ(text("KVGetLoginName"), "");
  EXPECT_EQ(text("KVGetSqlServerName"), "");
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 0);
  EXPECT_EQ(text("KVGetMdbFileName"), "");
}

// A host main window that has gone away: the system refuses the owner and
// answers 0, which the show functions report as -1 like any failed dialog.
TEST_F(ConnectionDialogs, AStaleMainWindowAnswersMinusOneAndStoresNothing) {
  HWND gone =
      CreateWindowExA(0, "STATIC", "gone", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(DestroyWindow(gone));
  emu.mainWindow = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(gone));
  EXPECT_EQ(emu.call("KVShowLoginDlg", {Value::Text("guest")}).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowSqlSetDlg", SqlArgs(30, true, 3)).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAccessSetDlg", AccessArgs("a.mdb", "admin")).value.integer, -1);
  EXPECT_EQ(emu.call("KVShowAboutDlg", {Value::Text("a"), Value::Text("b"), Value::Text("c")}).value.integer, -1);
  EXPECT_EQ(text("KVGetLoginName"), "");
  EXPECT_EQ(emu.call("KVGetSqlTimeOut").value.integer, 0);
}

}  // namespace
}  // namespace larch::test
