// Every function that hands a file name to the system, called with names
// at and beyond the system's path size: the longest accepted name (259
// bytes) reaches the system and fails there as any missing name does;
// longer ones are refused before any system call, promptly, without a
// crash, with the function's failure result and, where the function
// records errors, ERROR_FILENAME_EXCED_RANGE.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

#include "files_dialog_answerer.h"
#include "test_support.h"

namespace larch::test {
namespace {

// An absolute name of folders that do not exist, cut to `length` bytes.
// It never ends in a separator, whatever the length of the temp folder's
// path: at 259 bytes the shell would otherwise copy into that folder and
// leave a file whose name is too long to be removed.
std::string AbsoluteName(const TempDir& dir, size_t length) {
  std::string name = dir.path() + "\\";
  while (name.size() < length) name += "seg456789\\";
  name.resize(length);
  if (name.back() == '\\') name.back() = 'x';
  return name;
}

// A relative name of Chinese characters (GBK bytes) in a folder that does
// not exist, `length` bytes long.
std::string RelativeChineseName(size_t length) {
  std::string name = "nofolder\\";
  if ((length - name.size()) % 2) name += 'x';
  while (name.size() < length) name += "\xD6\xD0";
  return name;
}

// The process's current folder, for the life of the object.
class CurrentFolder {
 public:
  explicit CurrentFolder(const std::string& path) {
    GetCurrentDirectoryA(MAX_PATH, saved_);
    SetCurrentDirectoryA(path.c_str());
  }
  ~CurrentFolder() { SetCurrentDirectoryA(saved_); }
  CurrentFolder(const CurrentFolder&) = delete;
  CurrentFolder& operator=(const CurrentFolder&) = delete;

 private:
  char saved_[MAX_PATH] = {};
};

struct Row {
  const char* function;
  std::function<std::vector<Arg>(const std::string& path)> args;
  Value refused;     // the result for a name that is too long
  bool records;      // whether the function records errors
  bool systemAt259;  // at 259 bytes the system's answer is not a failure result
};

// Each test has a library of its own and a fresh folder for its files.
class FilesLongPaths : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(FilesLongPaths, NamesBeyondTheSystemsPathSizeAreRefusedBeforeTheCall) {
  const std::string existing = dir.file("existing.txt");
  WriteFile(existing, "x");
  const std::string full = dir.file("full");
  CreateDirectoryA(full.c_str(), nullptr);
  WriteFile(full + "\\inside.txt", "x");
  const std::string nul(1, '\0');
  auto text = [](const std::string& s) { return Value::Text(s); };
  const Value no = Value::Bool(false);

  // clang-format off
  const Row rows[] = {
      {"APIDeleteFile", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, true, false},
      {"APICopyFile", [&](const std::string& p) { return std::vector<Arg>{text(p), text(dir.file("c"))}; }, no, true,
       false},
      {"APICopyFile", [&](const std::string& p) { return std::vector<Arg>{text(existing), text(p)}; }, no, true, false},
      {"APIMoveFile", [&](const std::string& p) { return std::vector<Arg>{text(p), text(dir.file("m"))}; }, no, true,
       false},
      {"APIMoveFile", [&](const std::string& p) { return std::vector<Arg>{text(existing), text(p)}; }, no, true, false},
      {"APICreateDirectory", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, true, false},
      {"APIRemoveDirectory", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, true, false},
      {"APISetFileAttributes", [&](const std::string& p) { return std::vector<Arg>{text(p), Value::Int(0)}; }, no,
       true, false},
      {"APIGetFileLength", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, Value::Int(0), true,
       false},
      {"APIGetLongPathName", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, Value::Text(""), true,
       false},
      {"KVSetPath", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, true, false},
      {"APIGetFileAttributes", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, Value::Int(-1), false,
       false},
      {"KVPathFileExists", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, false, false},
      {"APIGetDriveType", [&](const std::string& p) { return std::vector<Arg>{text(p)}; },
       Value::Int(DRIVE_NO_ROOT_DIR), false, true},
      {"APIDeleteFolder", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, no, true, false},
      {"APIDisposeFolder",
       [&](const std::string& p) {
         return std::vector<Arg>{Value::Int(0), Value::Int(FO_COPY), text(p), text(dir.file("t"))};
       },
       no, true, false},
      // With a first name that exists, what the shell makes of the list is its own business too.
      {"APIDisposeFolder",
       [&](const std::string& p) {
         return std::vector<Arg>{Value::Int(0), Value::Int(FO_COPY), text(existing + nul + p), text(dir.file("t"))};
       },
       no, true, true},
      {"KVWriteIniStr",
       [&](const std::string& p) { return std::vector<Arg>{text("S"), text("K"), text("V"), text(p)}; }, no, true,
       false},
      {"KVGetIniStr",
       [&](const std::string& p) { return std::vector<Arg>{text("S"), text("K"), text("dflt"), text(p)}; },
       Value::Text("dflt"), false, false},
      {"KVGetIniInt",
       [&](const std::string& p) { return std::vector<Arg>{text("S"), text("K"), Value::Int(7), text(p)}; },
       Value::Int(7), false, false},
      {"Get32Md5FileChecksum", [&](const std::string& p) { return std::vector<Arg>{text(p)}; }, Value::Text(""),
       false, false},
      // Whether the shell makes missing target folders is its own business.
      // At 259 bytes it may also copy the file there, so this row comes
      // last: no row after it may find that name in place.
      {"APIDisposeFolder",
       [&](const std::string& p) {
         return std::vector<Arg>{Value::Int(0), Value::Int(FO_COPY), text(existing), text(p)};
       },
       no, true, true},
  };
  // clang-format on

  // Relative names resolve in the test's own folder, so whatever the
  // system makes of them at 259 bytes is removed with it. Resolved, they
  // are longer than 259 bytes and refused already, with the same results.
  CurrentFolder inside(dir.path());
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  // Whatever the shell asks or reports about the names that reach it is
  // answered, so no call waits for a user.
  DialogAnswerer answer({IDNO, IDOK, IDCANCEL});
  for (size_t length : {259u, 260u, 275u, 70000u}) {
    for (const std::string& path : {AbsoluteName(dir, length), RelativeChineseName(length)}) {
      for (const Row& row : rows) {
        const std::string where = std::string(row.function) + " with " + std::to_string(length) + " bytes" +
                                  (path[1] == ':' ? "" : " (relative)");
        SCOPED_TRACE(where);
        // A failure of another kind first: refusals that record replace it,
        // the others leave it.
        ASSERT_FALSE(emu.call("APIRemoveDirectory", {Value::Text(full)}).value.logical);
        CallResult r = emu.call(row.function, row.args(path));
        ASSERT_TRUE(r.sent()) << where;
        EXPECT_EQ(r.error, 0) << where;
        if (length == 259 && row.systemAt259) continue;
        EXPECT_EQ(r.value, row.refused) << where << " gave " << r.value.display();
        if (length > 259) {
          EXPECT_LAST_ERROR(emu, row.records ? ERROR_FILENAME_EXCED_RANGE : ERROR_DIR_NOT_EMPTY) << where;
        }
      }
    }
  }
  EXPECT_TRUE(FileExists(existing)) << "nothing moved";
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
}

TEST_F(FilesLongPaths, VolumeCaptionsOfRootsTooLongForTheSystem) {
  for (size_t length : {260u, 70000u}) {
    std::string root = "c:\\" + std::string(length - 3, 'v');
    EXPECT_EQ(emu.call("APIGetVolumeInfo", {Value::Text(root)}).value.text, "No Volume (C:)") << length;
    EXPECT_LAST_ERROR(emu, ERROR_FILENAME_EXCED_RANGE) << "APIGetVolumeInfo";
    root[0] = 'a';
    EXPECT_EQ(emu.call("APIGetVolumeInfo", {Value::Text(root)}).value.text, "FLOPPY (A:)") << length;
  }
}

TEST_F(FilesLongPaths, ABatchKeyFileTooLongForTheSystemIsAFileThatCannotBeRead) {
  auto encipher = [&](const std::string& keyFile, Caller caller = {}) {
    emu.setVariable("batch", Value::Text("x = 1"));
    CallWithoutResult(emu, "KVEncryptByteBlock2", {ByRef("batch"), Value::Text(keyFile)}, caller);
    return emu.variable("batch")->scalar.text;
  };
  const std::string unreadable = encipher(dir.file("missing.key"));
  ASSERT_NE(unreadable, "x = 1");
  for (size_t length : {260u, 275u, 70000u}) EXPECT_EQ(encipher(AbsoluteName(dir, length)), unreadable) << length;
}

}  // namespace
}  // namespace larch::test
