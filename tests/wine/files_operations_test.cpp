// File and folder functions through the binary interface, on temporary
// folders, with the real services of the platform.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// Leaves ERROR_FILE_NOT_FOUND in LastSystemError.
void FailADeletion(HostEmulator& emu, const TempDir& dir, Caller caller = {}) {
  TRACE_CALLER(caller);
  ASSERT_FALSE(emu.call("APIDeleteFile", {Value::Text(dir.file("missing.txt"))}).value.logical);
}

// Each test has a library of its own and a fresh folder for its files.
class Files : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(Files, EmptyParametersAnswerAtOnceAndLeaveTheLastErrorAlone) {
  FailADeletion(emu, dir);
  const Value none = Value::Text("");
  const Value some = Value::Text(dir.file("x"));
  struct Case {
    const char* name;
    std::vector<Arg> args;
    Value expected;
  };
  const Case cases[] = {
      {"APIDeleteFile", {none}, Value::Bool(false)},
      {"APICopyFile", {none, some}, Value::Bool(false)},
      {"APICopyFile", {some, none}, Value::Bool(false)},
      {"APICreateDirectory", {none}, Value::Bool(false)},
      {"APIGetDriveType", {none}, Value::Int(0)},
      {"APIGetVolumeInfo", {none}, Value::Text("xx")},
      {"APIGetVolumeInfo", {Value::Text("C")}, Value::Text("xx")},
      {"APIGetFileAttributes", {none}, Value::Int(-1)},
      {"KVPathFileExists", {none}, Value::Bool(false)},
      {"APIGetLongPathName", {none}, Value::Text("")},
      {"APIMoveFile", {none, some}, Value::Bool(false)},
      {"APIMoveFile", {some, none}, Value::Bool(false)},
      {"APIRemoveDirectory", {none}, Value::Bool(false)},
      {"APISetFileAttributes", {none, Value::Int(0)}, Value::Bool(false)},
      {"APIGetFileLength", {none}, Value::Int(0)},
      {"APIDeleteFolder", {none}, Value::Bool(false)},
  };
  for (const Case& c : cases) {
    CallResult r = emu.call(c.name, c.args);
    EXPECT_EQ(r.value, c.expected) << c.name << " gave " << r.value.display();
    EXPECT_EQ(r.value.width, c.expected.width) << c.name;
  }
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, CopiesMovesAndDeletesFiles) {
  const std::string a = dir.file("a.txt"), b = dir.file("b.txt"), c = dir.file("c.txt");
  WriteFile(a, "first");
  WriteFile(b, "second");

  EXPECT_TRUE(emu.call("APICopyFile", {Value::Text(a), Value::Text(b)}).value.logical) << "overwrites";
  EXPECT_EQ(ReadFile(b), "first");
  WriteFile(b, "second");
  EXPECT_TRUE(emu.call("APICopyFile", {Value::Text(a), Value::Text(b), Value::Bool(false)}).value.logical);
  EXPECT_EQ(ReadFile(b), "first");
  WriteFile(b, "second");
  EXPECT_FALSE(emu.call("APICopyFile", {Value::Text(a), Value::Text(b), Value::Bool(true)}).value.logical);
  EXPECT_EQ(ReadFile(b), "second");
  EXPECT_LAST_ERROR(emu, ERROR_FILE_EXISTS);

  EXPECT_TRUE(emu.call("APIMoveFile", {Value::Text(a), Value::Text(c)}).value.logical) << "a rename";
  EXPECT_FALSE(FileExists(a));
  EXPECT_EQ(ReadFile(c), "first");
  EXPECT_FALSE(emu.call("APIMoveFile", {Value::Text(c), Value::Text(b)}).value.logical) << "target exists";
  EXPECT_LAST_ERROR(emu, ERROR_ALREADY_EXISTS);

  EXPECT_TRUE(emu.call("APIDeleteFile", {Value::Text(c)}).value.logical);
  EXPECT_FALSE(FileExists(c));
  EXPECT_FALSE(emu.call("APIDeleteFile", {Value::Text(c)}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, TheLastErrorOutlivesSuccessfulCalls) {
  FailADeletion(emu, dir);
  std::string expected = ErrorText(emu, ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(expected.substr(expected.size() - 2), "\r\n") << "the text as the system gives it";
  EXPECT_TRUE(emu.call("APICreateDirectory", {Value::Text(dir.file("made"))}).value.logical);
  EXPECT_TRUE(emu.call("KVPathFileExists", {Value::Text(dir.file("made"))}).value.logical);
  EXPECT_NE(emu.call("APIGetSystemDirectory").value.text, "");
  EXPECT_EQ(RecordedErrorText(emu), expected);
  EXPECT_EQ(RecordedErrorText(emu), expected) << "reading does not reset";
  EXPECT_EQ(ErrorText(emu, 0x7FFFFFF0), "") << "a code without a message";
}

TEST_F(Files, CreatesAndRemovesFolders) {
  const std::string folder = dir.file("made");
  EXPECT_TRUE(emu.call("APICreateDirectory", {Value::Text(folder)}).value.logical);
  EXPECT_EQ(emu.call("APIGetFileAttributes", {Value::Text(folder)}).value.integer & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_FALSE(emu.call("APICreateDirectory", {Value::Text(folder)}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_ALREADY_EXISTS);
  WriteFile(folder + "\\inside.txt", "x");
  EXPECT_FALSE(emu.call("APIRemoveDirectory", {Value::Text(folder)}).value.logical) << "not empty";
  EXPECT_LAST_ERROR(emu, ERROR_DIR_NOT_EMPTY);
  DeleteFileA((folder + "\\inside.txt").c_str());
  EXPECT_TRUE(emu.call("APIRemoveDirectory", {Value::Text(folder)}).value.logical);
  EXPECT_FALSE(emu.call("KVPathFileExists", {Value::Text(folder)}).value.logical);
  EXPECT_FALSE(emu.call("APICreateDirectory", {Value::Text(dir.file("no\\such\\parent"))}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_PATH_NOT_FOUND);
}

TEST_F(Files, AttributesAndExistence) {
  const std::string file = dir.file("f.txt");
  WriteFile(file, "x");
  const int32_t set = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN;
  EXPECT_TRUE(emu.call("APISetFileAttributes", {Value::Text(file), Value::Int(set)}).value.logical);
  CallResult attributes = emu.call("APIGetFileAttributes", {Value::Text(file)});
  EXPECT_EQ(attributes.value.integer & set, set);
  EXPECT_EQ(attributes.value.width, 10);
  EXPECT_EQ(static_cast<DWORD>(attributes.value.integer), GetFileAttributesA(file.c_str()));
  EXPECT_FALSE(emu.call("APIDeleteFile", {Value::Text(file)}).value.logical) << "read-only";
  EXPECT_LAST_ERROR(emu, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(emu.call("APISetFileAttributes", {Value::Text(file), Value::Int(FILE_ATTRIBUTE_NORMAL)}).value.logical);
  EXPECT_EQ(emu.call("APIGetFileAttributes", {Value::Text(file)}).value.integer & set, 0);

  EXPECT_EQ(emu.call("APIGetFileAttributes", {Value::Text(dir.file("missing"))}).value.integer, -1);
  EXPECT_FALSE(emu.call("APISetFileAttributes", {Value::Text(dir.file("missing")), Value::Int(0)}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
  EXPECT_TRUE(emu.call("KVPathFileExists", {Value::Text(file)}).value.logical);
  EXPECT_TRUE(emu.call("KVPathFileExists", {Value::Text(dir.path())}).value.logical);
  EXPECT_FALSE(emu.call("KVPathFileExists", {Value::Text(dir.file("missing"))}).value.logical);
}

// A sparse file of the given size (no disk space used).
void MakeSparse(const std::string& path, LONGLONG size, Caller caller = {}) {
  TRACE_CALLER(caller);
  UniqueFileHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(h);
  LARGE_INTEGER at;
  at.QuadPart = size;
  SetFilePointerEx(h.get(), at, nullptr, FILE_BEGIN);
  SetEndOfFile(h.get());
}

TEST_F(Files, LengthsAreTheLowWordOfTheSize) {
  struct Case {
    const char* name;
    LONGLONG size;
    int32_t expected;
  };
  const Case cases[] = {
      {"empty", 0, 0},
      {"small", 1234, 1234},
      {"three-gib", 3LL << 30, static_cast<int32_t>(0xC0000000u)},  // negative in the host
      {"over-four-gib", (4LL << 30) + 5, 5},
  };
  for (const Case& c : cases) {
    MakeSparse(dir.file(c.name), c.size);
    CallResult r = emu.call("APIGetFileLength", {Value::Text(dir.file(c.name))});
    EXPECT_EQ(r.value, Value::Int(c.expected)) << c.name;
  }
  FailADeletion(emu, dir);
  EXPECT_EQ(emu.call("APIGetFileLength", {Value::Text(dir.path() + "\\nothing\\x")}).value, Value::Int(0));
  EXPECT_LAST_ERROR(emu, ERROR_PATH_NOT_FOUND);
}

TEST_F(Files, LongPathNamesOfShortForms) {
  const std::string folder = dir.file("a long folder name");
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string file = folder + "\\a long file name.document";
  WriteFile(file, "x");
  char shortForm[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameA(file.c_str(), shortForm, MAX_PATH), 0u);
  ASSERT_NE(std::string(shortForm), file) << "the platform gives a short form";
  char longForm[MAX_PATH] = {};
  GetLongPathNameA(file.c_str(), longForm, MAX_PATH);
  EXPECT_EQ(emu.call("APIGetLongPathName", {Value::Text(shortForm)}).value.text, longForm);
  EXPECT_EQ(emu.call("APIGetLongPathName", {Value::Text(folder + "\\missing.txt")}).value.text, "");
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
}

TEST_F(Files, SystemFoldersAsThePlatformGivesThem) {
  char system[MAX_PATH] = {}, windows[MAX_PATH] = {}, temp[MAX_PATH] = {}, tempLong[MAX_PATH] = {};
  GetSystemDirectoryA(system, MAX_PATH);
  GetWindowsDirectoryA(windows, MAX_PATH);
  GetTempPathA(MAX_PATH, temp);
  GetLongPathNameA(temp, tempLong, MAX_PATH);
  EXPECT_EQ(emu.call("APIGetSystemDirectory").value.text, system);
  EXPECT_EQ(emu.call("APIGetWindowsDirectory").value.text, windows);
  std::string t = emu.call("APIGetTempPath").value.text;
  EXPECT_EQ(t, tempLong);
  EXPECT_EQ(t.back(), '\\');
}

TEST_F(Files, TheCurrentFolderIsTheProcesss) {
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  EXPECT_EQ(emu.call("KVCurPath").value.text, before);
  EXPECT_TRUE(emu.call("KVSetPath", {Value::Text(dir.path())}).value.logical);
  char now[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, now);
  EXPECT_STREQ(now, dir.path().c_str());
  EXPECT_EQ(emu.call("KVCurPath").value.text, dir.path());
  // Relative names now resolve in the new folder.
  WriteFile(dir.file("here.txt"), "x");
  EXPECT_TRUE(emu.call("KVPathFileExists", {Value::Text("here.txt")}).value.logical);
  EXPECT_FALSE(emu.call("KVSetPath", {Value::Text(dir.file("missing"))}).value.logical);
  EXPECT_LAST_ERROR(emu, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(emu.call("KVSetPath", {Value::Text("")}).value.logical) << "refused by the system";
  EXPECT_EQ(emu.call("KVCurPath").value.text, dir.path());
  EXPECT_TRUE(emu.call("KVSetPath", {Value::Text(before)}).value.logical);
}

// Fakes of path services that report a result longer than the buffer
// the library offers (they return the size they would need).
UINT WINAPI NeedsMoreSystem(LPSTR, UINT size) { return size + 40; }
DWORD WINAPI NeedsMoreCurrent(DWORD size, LPSTR) { return size + 1; }
DWORD WINAPI NeedsMoreDrives(DWORD, LPSTR buffer) {
  lstrcpynA(buffer, "C:\\", 4);
  return 127;  // one more root would not have fitted
}

TEST_F(Files, ResultsLongerThanTheBuffersAreFailures) {
  struct Case {
    const char* function;
    const char* service;
    const void* fake;
  };
  const Case cases[] = {
      {"APIGetSystemDirectory", "GetSystemDirectoryA", FakeOf(&NeedsMoreSystem)},
      {"APIGetWindowsDirectory", "GetWindowsDirectoryA", FakeOf(&NeedsMoreSystem)},
      {"KVCurPath", "GetCurrentDirectoryA", FakeOf(&NeedsMoreCurrent)},
      {"KVGetLogicalDrive", "GetLogicalDriveStringsA", FakeOf(&NeedsMoreDrives)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.function);
    ImportPatch patch(emu.module(), "KERNEL32.dll", c.service, c.fake);
    ASSERT_TRUE(patch.active()) << c.service;
    EXPECT_EQ(emu.call("KVSetPath", {Value::Text("")}).value.logical, false);  // some other error first
    CallResult r = emu.call(c.function);
    EXPECT_EQ(r.value, Value::Text("")) << c.function;
    EXPECT_LAST_ERROR(emu, ERROR_INSUFFICIENT_BUFFER);
  }
}

TEST_F(Files, DriveTypesAndTheDriveList) {
  EXPECT_EQ(emu.call("APIGetDriveType", {Value::Text("C:\\")}).value, Value::Int(DRIVE_FIXED));
  EXPECT_EQ(emu.call("APIGetDriveType", {Value::Text("Q:\\")}).value, Value::Int(DRIVE_NO_ROOT_DIR));
  char roots[256] = {};
  DWORD length = GetLogicalDriveStringsA(sizeof roots, roots);
  std::string expected(roots, length);
  for (char& c : expected) c = c == '\0' ? '|' : c;
  EXPECT_EQ(emu.call("KVGetLogicalDrive").value.text, expected);
  EXPECT_EQ(expected.substr(0, 4), "C:\\|");
}

// Fakes of the volume services: the drive type each call asked for is
// counted, the label is chosen by the test.
int g_driveTypeCalls = 0;
UINT g_driveType = DRIVE_FIXED;
std::string g_label;
std::string g_rootAsked;
UINT WINAPI FakeDriveType(LPCSTR) {
  ++g_driveTypeCalls;
  return g_driveType;
}
BOOL WINAPI FakeVolume(LPCSTR root, LPSTR label, DWORD size, LPDWORD, LPDWORD, LPDWORD, LPSTR, DWORD) {
  g_rootAsked = root;
  if (g_label.empty()) {
    SetLastError(ERROR_NOT_READY);
    return FALSE;
  }
  lstrcpynA(label, g_label.c_str(), static_cast<int>(size));
  return TRUE;
}

TEST_F(Files, VolumeCaptions) {
  ImportPatch type(emu.module(), "KERNEL32.dll", "GetDriveTypeA", FakeOf(&FakeDriveType));
  ImportPatch volume(emu.module(), "KERNEL32.dll", "GetVolumeInformationA", FakeOf(&FakeVolume));
  ASSERT_TRUE(type.active() && volume.active());
  struct Case {
    const char* root;
    const char* label;
    UINT driveType;
    const char* caption;
    int typeCalls;
  };
  // clang-format off
  const Case cases[] = {
      {"c:\\", "SYSTEM", DRIVE_FIXED, "SYSTEM (C:)", 0},
      {"c:\\", "", DRIVE_FIXED, "No Volume (C:)", 1},
      {"a:\\", "", DRIVE_REMOVABLE, "FLOPPY (A:)", 0},
      {"B:", "", DRIVE_CDROM, "FLOPPY (B:)", 0},
      {"e:\\", "", DRIVE_REMOVABLE, "REMOVABLE (E:)", 1},
      {"f:\\", "", DRIVE_CDROM, "CD-ROM (F:)", 1},
      {"r:\\", "", DRIVE_REMOTE, "No Volume (R:)", 1},
  };
  // clang-format on
  for (const Case& c : cases) {
    g_driveTypeCalls = 0;
    g_driveType = c.driveType;
    g_label = c.label;
    CallResult r = emu.call("APIGetVolumeInfo", {Value::Text(c.root)});
    EXPECT_EQ(r.value.text, c.caption) << c.root;
    EXPECT_EQ(g_driveTypeCalls, c.typeCalls) << c.root;
    EXPECT_EQ(g_rootAsked.substr(0, 1), std::string(1, static_cast<char>(std::toupper(c.root[0])))) << "upper-cased";
  }
  EXPECT_LAST_ERROR(emu, ERROR_NOT_READY);
}

TEST_F(Files, VolumeCaptionOfTheSystemDrive) {
  char label[128] = {};
  GetVolumeInformationA("C:\\", label, sizeof label, nullptr, nullptr, nullptr, nullptr, 0);
  std::string expected = label[0] ? std::string(label) + " (C:)" : "No Volume (C:)";
  EXPECT_EQ(emu.call("APIGetVolumeInfo", {Value::Text("c:\\")}).value.text, expected);
}

TEST_F(Files, SpecialFoldersWithAFileSystemPath) {
  for (int id : {CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_SYSTEM, CSIDL_DESKTOPDIRECTORY}) {
    char expected[MAX_PATH] = {};
    ASSERT_TRUE(SHGetSpecialFolderPathA(nullptr, expected, id, FALSE)) << id;
    std::string got = emu.call("KVGetSpecialFolder", {Value::Int(id)}).value.text;
    // Some shells end a folder's path with a backslash in one service only.
    if (!got.empty() && got.back() == '\\' && expected[strlen(expected) - 1] != '\\') got.pop_back();
    EXPECT_EQ(got, expected) << id;
  }
  // Virtual folders and unknown identifiers have no path.
  for (int id : {CSIDL_PRINTERS, CSIDL_NETWORK, CSIDL_DRIVES, 0x7F}) {
    EXPECT_EQ(emu.call("KVGetSpecialFolder", {Value::Int(id)}).value.text, "") << id;
  }
}

}  // namespace
}  // namespace larch::test
