// Texts that become paths, command lines or names for the system, through
// the binary interface: one holding a NUL is refused with the function's
// failure result (123 recorded where the function records errors) and the
// name before the NUL is never touched; a relative path is measured as the
// system resolves it.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "test_support.h"

namespace larch::test {
namespace {

// A text with a NUL inside, as the host passes it (with its length).
Value Cut(const std::string& before, const std::string& after) { return Value::Text(before + '\0' + after); }

bool IsFolder(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class Names : public ::testing::Test {
 protected:
  Names() {
    WriteFile(dir.file("keep.dat"), "keep");
    WriteFile(dir.file("src.txt"), "source");
    WritePrivateProfileStringA("s", "k", "stored", dir.file("keep.ini").c_str());
    CreateDirectoryA(dir.file("keepdir").c_str(), nullptr);
    CreateDirectoryA(dir.file("out").c_str(), nullptr);
  }

  HostEmulator emu;
  TempDir dir;
};

TEST_F(Names, ANulInAPathOrCommandIsRefused) {
  WriteFile(dir.file("a.txt"), "a");
  ASSERT_EQ(emu.call("CabCompress", {Value::Text(dir.file("a.txt")), Value::Text(dir.file("a.cab"))}).value.integer, 1);
  std::vector<std::string> printed;
  emu.print = [&](const std::string& line) { printed.push_back(line); };
  const Value no = Value::Bool(false), none;
  struct Case {
    const char* name;
    std::vector<Arg> args;
    Value expected;  // none: no result is sent
    bool records;
    std::function<bool()> untouched;  // what the name before the NUL names is as it was
  };
  auto absent = [&](const char* name) { return [this, name] { return !FileExists(dir.file(name)); }; };
  auto kept = [this] { return ReadFile(dir.file("keep.dat")) == "keep"; };
  // clang-format off
  const Case cases[] = {
      {"APIDeleteFile",        {Cut(dir.file("keep.dat"), ".tmp")}, no, true, kept},
      {"APICopyFile",          {Value::Text(dir.file("src.txt")), Cut(dir.file("x.exe"), ".txt")}, no, true, absent("x.exe")},
      {"APICopyFile",          {Cut(dir.file("src.txt"), "x"), Value::Text(dir.file("y.txt"))}, no, true, absent("y.txt")},
      {"APIMoveFile",          {Value::Text(dir.file("src.txt")), Cut(dir.file("z.exe"), ".txt")}, no, true, absent("z.exe")},
      {"APICreateDirectory",   {Cut(dir.file("made"), "x")}, no, true, absent("made")},
      {"APIRemoveDirectory",   {Cut(dir.file("keepdir"), "x")}, no, true, [this] { return IsFolder(dir.file("keepdir")); }},
      {"APISetFileAttributes", {Cut(dir.file("keep.dat"), "x"), Value::Int(FILE_ATTRIBUTE_READONLY)}, no, true,
       [this] { return !(GetFileAttributesA(dir.file("keep.dat").c_str()) & FILE_ATTRIBUTE_READONLY); }},
      {"APIGetFileAttributes", {Cut(dir.file("keep.dat"), "x")}, Value::Int(-1), false, kept},
      {"KVPathFileExists",     {Cut(dir.file("keep.dat"), "x")}, no, false, kept},
      {"APIGetFileLength",     {Cut(dir.file("keep.dat"), "x")}, Value::Int(0), true, kept},
      {"APIGetLongPathName",   {Cut(dir.file("keep.dat"), "x")}, Value::Text(""), true, kept},
      {"APIGetDriveType",      {Cut("C:\\", "x")}, Value::Int(DRIVE_NO_ROOT_DIR), false, kept},
      {"Get32Md5FileChecksum", {Cut(dir.file("keep.dat"), "x")}, Value::Text(""), false, kept},
      {"KVWriteIniStr",        {Value::Text("s"), Value::Text("k"), Value::Text("v"), Cut(dir.file("new.ini"), ".txt")}, no,
       true, absent("new.ini")},
      {"KVGetIniStr",          {Value::Text("s"), Value::Text("k"), Value::Text("default"), Cut(dir.file("keep.ini"), "x")},
       Value::Text("default"), false, kept},
      {"KVGetIniInt",          {Value::Text("s"), Value::Text("k"), Value::Int(7), Cut(dir.file("keep.ini"), "x")},
       Value::Int(7), false, kept},
      {"CabCreateCabinet",     {Cut(dir.file("c.cab"), "x")}, Value::Int(0), true, absent("c.cab")},
      {"CabCompress",          {Value::Text(dir.file("src.txt")), Cut(dir.file("c.cab"), ".txt")}, Value::Int(0), true,
       absent("c.cab")},
      {"CabCompress",          {Cut(dir.file("src.txt"), "x"), Value::Text(dir.file("d.cab"))}, Value::Int(0), true,
       absent("d.cab")},
      {"CabDecompress",        {Cut(dir.file("a.cab"), "x"), Value::Text(dir.file("out"))}, Value::Int(0), true,
       [this] { return !FileExists(dir.file("out\\a.txt")); }},
      {"CabDecompress",        {Value::Text(dir.file("a.cab")), Cut(dir.file("out"), "x")}, Value::Int(0), true,
       [this] { return !FileExists(dir.file("out\\a.txt")); }},
      {"KVCreateShortcut",     {Value::Text(dir.file("src.txt")), Cut(dir.file("s.lnk"), ".txt")}, no, true, absent("s.lnk")},
      {"KVCreateShortcut",     {Cut(dir.file("src.txt"), "x"), Value::Text(dir.file("t.lnk"))}, no, true, absent("t.lnk")},
      {"KVCreateShortcut",     {Value::Text(dir.file("src.txt")), Value::Text(dir.file("u.lnk")), Cut(dir.path(), "x")}, no,
       true, absent("u.lnk")},
      {"KVWinExec",            {Cut("notepad.exe", " x")}, Value::Int(ERROR_PATH_NOT_FOUND), true, kept},
      {"KVShellExecAndWait",   {Cut(dir.file("src.txt"), "x")}, Value::Int(0), true, kept},
      {"APIShellExecute",      {Cut(dir.file("src.txt"), "x")}, none, true, kept},
      {"KVTraverseDirectory",  {Cut(dir.path(), "x"), Value::Text("? '%s'"), Value::Text("")}, none, true,
       [&] { return printed.empty(); }},
      {"KVTraverseDirectory",  {Value::Text(dir.path()), Cut("? '%s'", "x"), Value::Text("")}, none, true,
       [&] { return printed.empty(); }},
      {"APIDisposeFolder",     {Value::Int(0), Value::Int(2), Value::Text(dir.file("src.txt")), Cut(dir.file("w.exe"), ".txt")},
       no, true, absent("w.exe")},
      // Items are NUL-separated there, but an empty one would end the list.
      {"APIDeleteFolder",      {Value::Text(dir.file("src.txt") + std::string(2, '\0') + dir.file("keep.dat"))}, no, true,
       kept},
      {"KVDeleMapDrv",         {Cut("Z:", "x")}, Value::Int(ERROR_INVALID_NAME), true, kept},
      {"KVGetHostIP",          {Cut("localhost", "x")}, Value::Text(""), false, kept},
      {"KVActiveWindow",       {Cut("larch no such window", "x")}, no, false, kept},
      {"KVKillProcess2",       {Cut("larch no such window", "x")}, no, false, kept},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + (" " + Hex(c.args[0].value.text)));
    // A different failure before, so that a record of 123 shows.
    ASSERT_FALSE(emu.call("APIDeleteFile", {Value::Text(dir.file("missing.txt"))}).value.logical);
    CallResult r = emu.call(c.name, c.args);
    EXPECT_EQ(r.error, 0);
    if (c.expected.kind == Value::Kind::None) {
      EXPECT_FALSE(r.sent());
    } else {
      EXPECT_EQ(r.value, c.expected) << r.value.display();
    }
    EXPECT_LAST_ERROR(emu, c.records ? ERROR_INVALID_NAME : ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(c.untouched());
  }
  EXPECT_EQ(ReadFile(dir.file("src.txt")), "source");
}

// Registry names: the code of the refused call is 123, and no key or value
// is made under the name before the NUL.
TEST_F(Names, ANulInARegistryNameIsRefused) {
  const std::string key = "Software\\larch-tests\\names";
  RegDeleteKeyA(HKEY_CURRENT_USER, key.c_str());
  EXPECT_TRUE(emu.call("FRSetRegPath", {Cut(key, "x")}).value.logical);  // .T. is a failure here
  EXPECT_LAST_ERROR(emu, ERROR_INVALID_NAME);
  ASSERT_FALSE(emu.call("FRSetRegPath", {Value::Text(key)}).value.logical);
  EXPECT_TRUE(emu.call("FRSetRegValue", {Cut("a", "b"), Value::Text("v")}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_INVALID_NAME);
  EXPECT_EQ(emu.call("FRGetRegValue", {Cut("a", "b"), Value::Text("default")}).value, Value::Text("default"));
  EXPECT_EQ(emu.call("FRGetRegValue", {Cut("a", "b"), Value::Int(5)}).value, Value::Int(5));
  EXPECT_TRUE(emu.call("FRDeleteValue", {Cut("a", "b")}).value.logical);
  EXPECT_TRUE(emu.call("FRDeleteKey", {Cut("a", "b")}).value.logical);
  HKEY opened = nullptr;
  EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &opened), ERROR_SUCCESS) << "no key was made";
  if (opened) RegCloseKey(opened);
  emu.call("FRCloseReg");
}

// A relative name is measured with the current folder the system puts
// before it: within 259 bytes it is used, beyond it is refused with 206
// before anything is made. A bare INI name is measured in the Windows
// folder, where the system puts it.
TEST_F(Names, RelativePathsAreMeasuredResolved) {
  std::string deep = dir.path();
  while (deep.size() < 220) {
    deep += "\\" + std::string(20, 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
  }
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
  const size_t room = 259 - deep.size() - 1;  // bytes left for a name after the separator
  const std::string fits(room, 'f'), over(room + 1, 'o');
  struct Case {
    const char* name;
    std::function<std::vector<Arg>(const std::string&)> args;
    Value refused;
    bool usedAtTheLimit;  // folders stop short of the limit, at 248 bytes
  };
  const Case cases[] = {
      {"APICreateDirectory", [](const std::string& n) { return std::vector<Arg>{Value::Text(n)}; }, Value::Bool(false),
       false},
      {"APICopyFile",
       [this](const std::string& n) {
         return std::vector<Arg>{Value::Text(dir.file("src.txt")), Value::Text(n)};
       },
       Value::Bool(false), true},
      {"CabCompress",
       [this](const std::string& n) {
         return std::vector<Arg>{Value::Text(dir.file("src.txt")), Value::Text(n)};
       },
       Value::Int(0), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CallResult r = emu.call(c.name, c.args(over));
    EXPECT_EQ(r.value, c.refused) << r.value.display();
    EXPECT_LAST_ERROR(emu, ERROR_FILENAME_EXCED_RANGE);
    EXPECT_FALSE(FileExists(deep + "\\" + over));
    if (!c.usedAtTheLimit) continue;
    r = emu.call(c.name, c.args(fits));
    EXPECT_FALSE(r.value == c.refused) << "a resolved path of 259 bytes is used";
    EXPECT_TRUE(FileExists(deep + "\\" + fits));
    RemoveDirectoryA((deep + "\\" + fits).c_str());
    DeleteFileA((deep + "\\" + fits).c_str());
  }
  // The INI functions put a bare name in the Windows folder, not here.
  EXPECT_TRUE(emu.call("KVWriteIniStr", {Value::Text("s"), Value::Text("k"), Value::Text("v"),
                                         Value::Text("larch-names-" + std::string(room, 'i') + ".ini")})
                  .value.logical);
  SetCurrentDirectoryA(saved);
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_TRUE(DeleteFileA((std::string(windows) + "\\larch-names-" + std::string(room, 'i') + ".ini").c_str()));
}

}  // namespace
}  // namespace larch::test
