// The cabinet functions through the host interface: building cabinets step
// by step and in one call, extracting them with times and attributes, and
// the refusals (stale handles, long paths, files that are no cabinets,
// stored names that would leave the destination).
#include <gtest/gtest.h>

#include <windows.h>
#include <io.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "test_support.h"

namespace larch::test {
namespace {

void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}
void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

// A cabinet of one uncompressed folder, written byte by byte, so that the
// stored names and the header can be anything a hostile archive could
// hold. A previous cabinet makes the first file one begun there; a next
// cabinet (its name may be empty) makes the last file go on there, its
// data ending in a block continued in the next cabinet.
struct CabinetLayout {
  std::vector<std::pair<std::string, std::string>> files;
  uint16_t attributes = 0x20;
  std::optional<std::string> previous;
  std::optional<std::string> next;
  uint16_t number = 0;  // the cabinet's number in its set
};

constexpr uint16_t kContinuedFromPrevious = 0xFFFD, kContinuedToNext = 0xFFFE;

std::string CabinetBytes(const CabinetLayout& layout) {
  std::string entries, data;
  uint32_t offset = 0;
  for (size_t i = 0; i < layout.files.size(); ++i) {
    const auto& [name, bytes] = layout.files[i];
    uint16_t folder = 0;
    uint32_t size = static_cast<uint32_t>(bytes.size());
    if (i == 0 && layout.previous) folder = kContinuedFromPrevious;
    if (i + 1 == layout.files.size() && layout.next) {
      folder = kContinuedToNext;
      size += 100;  // the rest is in the next cabinet
    }
    Put32(entries, size);
    Put32(entries, offset);
    Put16(entries, folder);
    Put16(entries, 0x5A21);  // 2025-01-01
    Put16(entries, 0x6000);  // 12:00:00
    Put16(entries, layout.attributes);
    entries += name;
    entries += '\0';
    offset += static_cast<uint32_t>(bytes.size());
    data += bytes;
  }
  std::string names;
  uint16_t flags = 0;
  if (layout.previous) {
    flags |= 1;
    names += *layout.previous + '\0' + "disk 1" + '\0';
  }
  if (layout.next) {
    flags |= 2;
    names += *layout.next + '\0' + "disk 2" + '\0';
  }
  const uint16_t blocks = layout.next ? 2 : 1;
  const std::string tail = "more";  // the next cabinet's part of the split block
  const uint32_t header = 36 + static_cast<uint32_t>(names.size()), folder = 8, files0 = header + folder;
  const uint32_t data0 = files0 + static_cast<uint32_t>(entries.size());
  const uint32_t total = data0 + 8 + static_cast<uint32_t>(data.size()) + (layout.next ? 8 + 4 : 0);
  std::string cab = "MSCF";
  Put32(cab, 0);
  Put32(cab, total);
  Put32(cab, 0);
  Put32(cab, files0);
  Put32(cab, 0);
  cab += '\x03';
  cab += '\x01';
  Put16(cab, 1);  // folders
  Put16(cab, static_cast<uint16_t>(layout.files.size()));
  Put16(cab, flags);
  Put16(cab, 7);  // set id
  Put16(cab, layout.number);
  cab += names;
  Put32(cab, data0);
  Put16(cab, blocks);
  Put16(cab, 0);  // no compression
  cab += entries;
  Put32(cab, 0);  // no checksum
  Put16(cab, static_cast<uint16_t>(data.size()));
  Put16(cab, static_cast<uint16_t>(data.size()));
  cab += data;
  if (layout.next) {
    Put32(cab, 0);
    Put16(cab, static_cast<uint16_t>(tail.size()));
    Put16(cab, 0);  // continued in the next cabinet
    cab += tail;
  }
  return cab;
}

std::string StoredCabinet(const std::vector<std::pair<std::string, std::string>>& files, uint16_t attributes = 0x20) {
  return CabinetBytes({files, attributes});
}

std::string Bytes(size_t size, unsigned seed) {
  std::string out(size, '\0');
  for (size_t i = 0; i < size; ++i) {
    seed = seed * 1103515245u + 12345u;
    // Half text, half noise: both compressible and incompressible runs.
    out[i] = (i / 4096) % 2 ? static_cast<char>(seed >> 24) : "larch cabinet "[i % 14];
  }
  return out;
}

FILETIME WriteTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

FILETIME CreationTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftCreationTime;
}

uint64_t Ticks(FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

void SetWriteTime(const std::string& path, SYSTEMTIME when) {
  FILETIME local, utc;
  SystemTimeToFileTime(&when, &local);
  LocalFileTimeToFileTime(&local, &utc);
  UniqueFileHandle h(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  SetFileTime(h.get(), nullptr, nullptr, &utc);
}

size_t EntriesIn(const std::string& folder) {
  size_t count = 0;
  WIN32_FIND_DATAA found;
  UniqueFind h(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!h) return 0;
  do {
    std::string name = found.cFileName;
    count += name != "." && name != "..";
  } while (FindNextFileA(h.get(), &found));
  return count;
}

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  UniqueFind h(FindFirstFileA((folder + "\\*").c_str(), &found));
  if (!h) return names;
  do {
    std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

// Empties a folder of files and of folders holding files, and removes it.
void RemoveTree(const std::string& folder) {
  for (const std::string& name : NamesIn(folder)) {
    const std::string path = folder + "\\" + name;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
      RemoveTree(path);
    } else {
      DeleteFileA(path.c_str());
    }
  }
  RemoveDirectoryA(folder.c_str());
}

struct PendingCall {
  HostEmulator* emu;
  std::string name;
  std::vector<Arg> args;
  CallResult result;
};

DWORD WINAPI RunPendingCall(void* p) {
  auto* call = static_cast<PendingCall*>(p);
  call->result = call->emu->call(call->name, call->args);
  return 0;
}

// A call made on a thread of its own, so that a call that never returns
// fails the test instead of stopping the run: nothing when it is still
// running after a minute (it is then left running, with what it uses).
std::optional<CallResult> CallWithin(HostEmulator& emu, const std::string& name, const std::vector<Arg>& args) {
  auto* call = new PendingCall{&emu, name, args, {}};
  UniqueHandle thread(CreateThread(nullptr, 0, RunPendingCall, call, 0, nullptr));
  if (!thread || WaitForSingleObject(thread.get(), 60000) != WAIT_OBJECT_0) return std::nullopt;
  CallResult result = call->result;
  delete call;
  return result;
}

class Cabinet : public testing::Test {
 protected:
  Cabinet() : out(dir.file("out")) { CreateDirectoryA(out.c_str(), nullptr); }

  int32_t Create(const std::string& cab, Caller caller = {}) {
    return CallInteger(emu, "CabCreateCabinet", {Value::Text(cab)}, caller);
  }
  int32_t Add(int32_t handle, const std::string& file, Caller caller = {}) {
    return CallInteger(emu, "CabAddFile2Cab", {Value::Int(handle), Value::Text(file)}, caller);
  }
  int32_t Flush(int32_t handle, Caller caller = {}) {
    return CallInteger(emu, "CabFlushCab", {Value::Int(handle)}, caller);
  }
  int32_t Compress(const std::string& file, const std::string& cab, Caller caller = {}) {
    return CallInteger(emu, "CabCompress", {Value::Text(file), Value::Text(cab)}, caller);
  }
  int32_t Extract(const std::string& cab, const std::string& folder, Caller caller = {}) {
    return CallInteger(emu, "CabDecompress", {Value::Text(cab), Value::Text(folder)}, caller);
  }

  TempDir dir;
  std::string out;
  HostEmulator emu;
};

TEST_F(Cabinet, StepByStepRoundTrip) {
  CreateDirectoryA(dir.file("src").c_str(), nullptr);
  const std::vector<std::pair<std::string, std::string>> files = {
      {"big.bin", Bytes(300000, 1)}, {"empty.txt", ""}, {"small.txt", "hello"}};
  int32_t handle = Create(dir.file("set.cab"));
  ASSERT_NE(handle, 0);
  for (const auto& [name, bytes] : files) {
    WriteFile(dir.file("src\\" + name), bytes);
    EXPECT_EQ(Add(handle, dir.file("src\\" + name)), 1) << name;
  }
  EXPECT_FALSE(FileExists(dir.file("set.cab")));  // written by the flush
  EXPECT_EQ(Flush(handle), 1);
  EXPECT_EQ(Flush(handle), 0);  // the handle is gone
  EXPECT_EQ(Add(handle, dir.file("src\\small.txt")), 0);

  // Names are stored without folders; the destination may lack its backslash.
  EXPECT_EQ(Extract(dir.file("set.cab"), out), 1);
  EXPECT_EQ(EntriesIn(out), files.size());
  for (const auto& [name, bytes] : files) EXPECT_TRUE(SameBytes(ReadFile(out + "\\" + name), bytes)) << name;
  EXPECT_EQ(Extract(dir.file("set.cab"), out + "\\"), 1);
  EXPECT_EQ(EntriesIn(out), files.size());
}

TEST_F(Cabinet, TimesAndAttributesAreRestored) {
  std::string source = dir.file("old.txt");
  WriteFile(source, "kept");
  SetWriteTime(source, SYSTEMTIME{2019, 7, 0, 14, 9, 30, 42, 0});
  SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  ASSERT_EQ(Compress(source, dir.file("old.cab")), 1);
  ASSERT_EQ(Extract(dir.file("old.cab"), out), 1);

  std::string copy = out + "\\old.txt";
  EXPECT_EQ(ReadFile(copy), "kept");
  EXPECT_EQ(Ticks(WriteTime(copy)), Ticks(WriteTime(source)));  // whole even seconds survive
  EXPECT_EQ(Ticks(CreationTime(copy)), Ticks(WriteTime(source)));
  DWORD attributes = GetFileAttributesA(copy.c_str());
  EXPECT_EQ(attributes & 0x27 & ~FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Cabinet, ExtractionReplacesLongerFiles) {
  WriteFile(dir.file("short.txt"), "short");
  ASSERT_EQ(Compress(dir.file("short.txt"), dir.file("short.cab")), 1);
  WriteFile(out + "\\short.txt", std::string(10000, 'L'));
  EXPECT_EQ(Extract(dir.file("short.cab"), out), 1);
  EXPECT_EQ(ReadFile(out + "\\short.txt"), "short");
}

TEST_F(Cabinet, RelativeCabinetPathIsTheCurrentFolder) {
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(dir.path().c_str());
  WriteFile(dir.file("here.txt"), "here");
  EXPECT_EQ(Compress("here.txt", "here.cab"), 1);
  EXPECT_EQ(Extract("here.cab", "out"), 1);
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(ReadFile(out + "\\here.txt"), "here");
}

TEST_F(Cabinet, FailuresWriteNothing) {
  WriteFile(dir.file("a.txt"), "a");
  WriteFile(dir.file("not.cab"), "MSCF but not a cabinet at all");
  EXPECT_EQ(Extract(dir.file("not.cab"), out), 0);
  EXPECT_EQ(Extract(dir.file("missing.cab"), out), 0);
  EXPECT_EQ(Compress(dir.file("missing.txt"), dir.file("m.cab")), 0);
  EXPECT_FALSE(FileExists(dir.file("m.cab")));
  EXPECT_EQ(Compress(dir.file("a.txt"), dir.file("nofolder\\a.cab")), 0);
  // Empty parameters are refused before anything happens.
  EXPECT_EQ(Create(""), 0);
  EXPECT_EQ(Compress("", dir.file("e.cab")), 0);
  EXPECT_EQ(Compress(dir.file("a.txt"), ""), 0);
  ASSERT_EQ(Compress(dir.file("a.txt"), dir.file("a.cab")), 1);
  EXPECT_EQ(Extract("", out), 0);
  EXPECT_EQ(Extract(dir.file("a.cab"), ""), 0);
  EXPECT_EQ(EntriesIn(out), 0u);
}

TEST_F(Cabinet, HandlesNotHeldAreRefused) {
  EXPECT_EQ(Add(0, dir.file("a.txt")), 0);
  EXPECT_EQ(Add(0x12345678, dir.file("a.txt")), 0);
  EXPECT_EQ(Flush(-1), 0);
  // A failed add destroys the context.
  int32_t handle = Create(dir.file("b.cab"));
  ASSERT_NE(handle, 0);
  EXPECT_EQ(Add(handle, dir.file("missing.txt")), 0);
  EXPECT_EQ(Flush(handle), 0);
  EXPECT_FALSE(FileExists(dir.file("b.cab")));
  // So does an empty path.
  handle = Create(dir.file("c.cab"));
  EXPECT_EQ(Add(handle, ""), 0);
  EXPECT_EQ(Flush(handle), 0);
  // Several contexts at once are independent.
  WriteFile(dir.file("one.txt"), "1");
  WriteFile(dir.file("two.txt"), "2");
  int32_t first = Create(dir.file("one.cab")), second = Create(dir.file("two.cab"));
  ASSERT_NE(first, second);
  EXPECT_EQ(Add(second, dir.file("two.txt")), 1);
  EXPECT_EQ(Add(first, dir.file("one.txt")), 1);
  EXPECT_EQ(Flush(first), 1);
  EXPECT_EQ(Flush(second), 1);
  EXPECT_EQ(Extract(dir.file("two.cab"), out), 1);
  EXPECT_EQ(EntriesIn(out), 1u);
}

TEST_F(Cabinet, OverlongPathsAreRefused) {
  WriteFile(dir.file("a.txt"), "a");
  std::string longName(300, 'n');
  EXPECT_EQ(Create(dir.file(longName + ".cab")), 0);
  EXPECT_EQ(Compress(dir.file("a.txt"), dir.file(longName + ".cab")), 0);
  ASSERT_EQ(Compress(dir.file("a.txt"), dir.file("a.cab")), 1);
  EXPECT_EQ(Extract(dir.file("a.cab"), out + "\\" + longName), 0);
  EXPECT_EQ(Extract(dir.file(longName + ".cab"), out), 0);
  int32_t handle = Create(dir.file("b.cab"));
  EXPECT_EQ(Add(handle, dir.file(longName)), 0);
  EXPECT_EQ(EntriesIn(out), 0u);
}

TEST_F(Cabinet, StoredNamesStayInTheDestination) {
  WriteFile(dir.file("plain.cab"), StoredCabinet({{"one.txt", "first"}, {"two.txt", "second"}}));
  ASSERT_EQ(Extract(dir.file("plain.cab"), out), 1);
  EXPECT_EQ(ReadFile(out + "\\two.txt"), "second");

  for (std::string name : {"..\\escaped.txt", "sub\\..\\..\\escaped.txt", "\\escaped.txt", "C:escaped.txt"}) {
    WriteFile(dir.file("bad.cab"), StoredCabinet({{name, "evil"}}));
    EXPECT_EQ(Extract(dir.file("bad.cab"), out), 0) << name;
    EXPECT_FALSE(FileExists(dir.file("escaped.txt"))) << name;
  }
}

// The paths the library opens through the C runtime while it lives: every
// cabinet FDI reads and every file extracted goes through _open.
class OpenedPaths {
 public:
  explicit OpenedPaths(HostEmulator& emu) : patch_(emu.module(), "msvcrt.dll", "_open", host::FakeOf(&RecordingOpen)) {
    Paths().clear();
  }
  bool active() const { return patch_.active(); }
  const std::vector<std::string>& paths() const { return Paths(); }

 private:
  static std::vector<std::string>& Paths() {
    static std::vector<std::string> paths;
    return paths;
  }
  static int __cdecl RecordingOpen(const char* path, int flags, ...) {
    va_list rest;
    va_start(rest, flags);
    const int mode = va_arg(rest, int);
    va_end(rest);
    Paths().push_back(path);
    return _open(path, flags, mode);
  }
  host::ImportPatch patch_;
};

// Hostile cabinets end at once: a cabinet of a set (a next cabinet named,
// missing or outside the folder, a flag without a name, a first file
// begun elsewhere) with 50, a stored name that is a device or the cabinet
// itself with 123. Files before the refused one stay; nothing is opened
// outside the cabinet's folder and the destination; the cabinet is intact.
TEST_F(Cabinet, HostileCabinetsEndAtOnce) {
  CreateDirectoryA(dir.file("outside").c_str(), nullptr);
  CreateDirectoryA(dir.file("in").c_str(), nullptr);
  WriteFile(dir.file("outside\\b.cab"), CabinetBytes({{{"b.txt", "from the next cabinet"}}, 0x20, "a.cab", {}, 1}));
  const std::vector<std::pair<std::string, std::string>> two = {{"first.txt", "first"}, {"second.txt", "second"}};
  struct Case {
    const char* what;
    CabinetLayout cabinet;
    const char* cabinetName;           // in "in", or beside the destination files when in "out"
    std::string destination;           // "" for out
    DWORD error;                       // 0: extracted
    std::vector<std::string> written;  // the files in out afterwards
  };
  // clang-format off
  const Case cases[] = {
      {"next cabinet missing",    {two, 0x20, {}, "missing.cab"},         "in\\a.cab", "", ERROR_NOT_SUPPORTED, {}},
      {"next cabinet outside",    {two, 0x20, {}, "..\\outside\\b.cab"}, "in\\a.cab", "", ERROR_NOT_SUPPORTED, {}},
      {"next flag without a name", {two, 0x20, {}, ""},                   "in\\a.cab", "", ERROR_NOT_SUPPORTED, {"first.txt"}},
      {"first file begun before", {two, 0x20, "z.cab", {}},               "in\\a.cab", "", ERROR_NOT_SUPPORTED, {}},
      {"aux",        {{{"first.txt", "first"}, {"aux", "x"}}},        "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"con.txt",    {{{"first.txt", "first"}, {"con.txt", "x"}}},    "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"NUL",        {{{"first.txt", "first"}, {"NUL", "x"}}},        "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"COM1",       {{{"first.txt", "first"}, {"COM1", "x"}}},       "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"lpt1.log",   {{{"first.txt", "first"}, {"lpt1.log", "x"}}},   "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"Aux..",      {{{"first.txt", "first"}, {"Aux..", "x"}}},      "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"con  .txt",  {{{"first.txt", "first"}, {"con  .txt", "x"}}},  "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"nul.txt. ",  {{{"first.txt", "first"}, {"nul.txt. ", "x"}}},  "in\\a.cab", "", ERROR_INVALID_NAME, {"first.txt"}},
      {"names near devices", {{{"console.txt", "1"}, {"com10.txt", "2"}, {"nul_.txt", "3"}}}, "in\\a.cab", "", 0,
       {"com10.txt", "console.txt", "nul_.txt"}},
      {"self.cab",   {{{"first.txt", "first"}, {"self.cab", "x"}}},   "out\\self.cab", "", ERROR_INVALID_NAME,
       {"first.txt", "self.cab"}},
      {"SELF.CAB by another path", {{{"SELF.CAB", "x"}}},              "out\\self.cab", "\\sub\\..\\.", ERROR_INVALID_NAME,
       {"self.cab"}},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveTree(out);
    CreateDirectoryA(out.c_str(), nullptr);
    CreateDirectoryA((out + "\\sub").c_str(), nullptr);
    const std::string cabinet = dir.file(c.cabinetName);
    const std::string bytes = CabinetBytes(c.cabinet);
    WriteFile(cabinet, bytes);
    OpenedPaths opened(emu);
    ASSERT_TRUE(opened.active());
    emu.call("CabFlushCab", {Value::Int(-1)});  // records ERROR_INVALID_HANDLE
    std::optional<CallResult> r =
        CallWithin(emu, "CabDecompress", {Value::Text(cabinet), Value::Text(out + c.destination)});
    ASSERT_TRUE(r) << "still extracting after a minute";
    EXPECT_EQ(r->error, 0);
    EXPECT_EQ(r->value.integer, c.error == 0 ? 1 : 0);
    if (c.error != 0) EXPECT_LAST_ERROR(emu, c.error);
    std::vector<std::string> written = NamesIn(out);
    written.erase(std::remove(written.begin(), written.end(), "sub"), written.end());
    EXPECT_EQ(written, c.written);
    if (!c.written.empty() && c.written[0] == "first.txt") EXPECT_EQ(ReadFile(out + "\\first.txt"), "first");
    EXPECT_TRUE(SameBytes(ReadFile(cabinet), bytes)) << "the cabinet read is left as it was";
    for (const std::string& path : opened.paths()) {
      const bool isCabinet = _stricmp(path.c_str(), cabinet.c_str()) == 0;
      const bool inOut = _strnicmp(path.c_str(), (out + "\\").c_str(), out.size() + 1) == 0;
      EXPECT_TRUE(isCabinet || inOut) << "opened " << path;
    }
  }
  EXPECT_FALSE(FileExists(out + "\\b.txt"));
}

// The stored names and attributes of a cabinet of one folder.
std::vector<std::pair<std::string, uint16_t>> StoredNames(const std::string& cab) {
  std::vector<std::pair<std::string, uint16_t>> names;
  if (cab.size() < 36 || cab.compare(0, 4, "MSCF") != 0) return names;
  auto get16 = [&](size_t at) {
    return static_cast<uint16_t>(static_cast<uint8_t>(cab[at]) | static_cast<uint8_t>(cab[at + 1]) << 8);
  };
  size_t at = get16(16) | static_cast<size_t>(get16(18)) << 16;
  for (uint16_t i = 0, files = get16(28); i < files && at + 16 < cab.size(); ++i) {
    size_t end = cab.find('\0', at + 16);
    if (end == std::string::npos) break;
    names.emplace_back(cab.substr(at + 16, end - at - 16), get16(at + 14));
    at = end + 1;
  }
  return names;
}

bool Gbk() { return GetACP() == 936; }

// 誠 (D5 5C) and 淺 (9C 5C) end in the byte of a backslash. Each keeps its
// whole name in the cabinet, stored as UTF-8 and marked so, and comes back
// under its own name; a destination ending in such a character gets its
// closing backslash.
TEST_F(Cabinet, DoubleByteNamesKeepTheirLastCharacter) {
  if (!Gbk()) GTEST_SKIP() << "needs code page 936";
  const std::string cheng = "\xD5\x5C", qian = "\x9C\x5C";
  CreateDirectoryA(dir.file("src").c_str(), nullptr);
  WriteFile(dir.file("src\\" + cheng + ".txt"), "cheng");
  WriteFile(dir.file("src\\" + qian + ".txt"), "qian");
  int32_t handle = Create(dir.file("names.cab"));
  EXPECT_EQ(Add(handle, dir.file("src\\" + cheng + ".txt")), 1);
  EXPECT_EQ(Add(handle, dir.file("src\\" + qian + ".txt")), 1);
  ASSERT_EQ(Flush(handle), 1);
  auto stored = StoredNames(ReadFile(dir.file("names.cab")));
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].first, "\xE8\xAA\xA0.txt");  // 誠 in UTF-8
  EXPECT_EQ(stored[1].first, "\xE6\xB7\xBA.txt");  // 淺 in UTF-8
  EXPECT_EQ(stored[0].second & 0x80, 0x80);
  EXPECT_EQ(stored[1].second & 0x80, 0x80);

  ASSERT_EQ(Extract(dir.file("names.cab"), out), 1);
  EXPECT_EQ(EntriesIn(out), 2u);
  EXPECT_EQ(ReadFile(out + "\\" + cheng + ".txt"), "cheng");
  EXPECT_EQ(ReadFile(out + "\\" + qian + ".txt"), "qian");

  std::string into = out + "\\" + cheng;
  ASSERT_TRUE(CreateDirectoryA(into.c_str(), nullptr));
  ASSERT_EQ(Extract(dir.file("names.cab"), into), 1);
  EXPECT_EQ(ReadFile(into + "\\" + qian + ".txt"), "qian");
  EXPECT_EQ(EntriesIn(out), 3u) << "nothing written beside the destination";
}

// Names beyond ASCII are stored as UTF-8 under every code page, ASCII
// names as they are, and both forms are read back; a cabinet written by
// another tool with the UTF-8 mark extracts under the ANSI name, and a
// name the code page cannot hold is refused.
TEST_F(Cabinet, NamesBeyondAsciiTravelAsUtf8) {
  // 中文 under 936, café under 1252.
  const std::string local = Gbk() ? "\xD6\xD0\xCE\xC4" : "caf\xE9";
  const std::string utf8 = Gbk() ? "\xE4\xB8\xAD\xE6\x96\x87" : "caf\xC3\xA9";
  WriteFile(dir.file(local + ".txt"), "local");
  WriteFile(dir.file("plain.txt"), "plain");
  int32_t handle = Create(dir.file("mixed.cab"));
  EXPECT_EQ(Add(handle, dir.file(local + ".txt")), 1);
  EXPECT_EQ(Add(handle, dir.file("plain.txt")), 1);
  ASSERT_EQ(Flush(handle), 1);
  auto stored = StoredNames(ReadFile(dir.file("mixed.cab")));
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0].first, utf8 + ".txt");
  EXPECT_EQ(stored[0].second & 0x80, 0x80);
  EXPECT_EQ(stored[1].first, "plain.txt");
  EXPECT_EQ(stored[1].second & 0x80, 0);
  ASSERT_EQ(Extract(dir.file("mixed.cab"), out), 1);
  EXPECT_EQ(ReadFile(out + "\\" + local + ".txt"), "local");
  EXPECT_EQ(ReadFile(out + "\\plain.txt"), "plain");

  // Written by another tool: the UTF-8 mark is honoured.
  WriteFile(dir.file("tool.cab"), StoredCabinet({{utf8 + "utf.txt", "tool"}}, 0xA0));
  ASSERT_EQ(Extract(dir.file("tool.cab"), out), 1);
  EXPECT_EQ(ReadFile(out + "\\" + local + "utf.txt"), "tool");

  // Not valid UTF-8, or not in the code page (日本 has no 1252 form;
  // a Korean syllable has none in 936): refused, nothing written.
  const std::string foreign = Gbk() ? "\xEA\xB0\x80" : "\xE6\x97\xA5\xE6\x9C\xAC";
  for (const std::string& name : {std::string("\xFF\xFE.txt"), foreign + ".txt"}) {
    WriteFile(dir.file("bad.cab"), StoredCabinet({{name, "bad"}}, 0xA0));
    size_t before = EntriesIn(out);
    EXPECT_EQ(Extract(dir.file("bad.cab"), out), 0) << Hex(name);
    EXPECT_LAST_ERROR(emu, ERROR_INVALID_NAME) << Hex(name);
    EXPECT_EQ(EntriesIn(out), before) << Hex(name);
  }
}

// Every row that takes a path, at the system's limit and beyond: a prompt
// failure result, and beyond 259 characters 206 recorded.
TEST_F(Cabinet, LongPathsFailCleanly) {
  WriteFile(dir.file("a.txt"), "a");
  ASSERT_EQ(Compress(dir.file("a.txt"), dir.file("a.cab")), 1);
  for (size_t length : {259u, 260u, 275u, 70000u}) {
    std::string path = dir.path() + "\\";
    path += std::string(length - path.size(), 'n');
    ASSERT_EQ(path.size(), length);
    SCOPED_TRACE(length);
    // At 259 characters the calls are made (the paths just do not exist,
    // or the cabinet is written); beyond, they are refused.
    const bool refused = length > 259;
    auto expectRefused = [&](int32_t result, const char* row, Caller caller = {}) {
      if (!refused) return;
      TRACE_CALLER(caller);
      EXPECT_EQ(result, 0) << row;
      EXPECT_LAST_ERROR(emu, ERROR_FILENAME_EXCED_RANGE) << row;
    };
    int32_t created = Create(path);
    expectRefused(created, "CabCreateCabinet");
    if (created) Flush(created);
    DeleteFileA(path.c_str());  // the rows below must not find that cabinet
    int32_t handle = Create(dir.file("b.cab"));
    ASSERT_NE(handle, 0);
    EXPECT_EQ(Add(handle, path), 0);
    expectRefused(0, "CabAddFile2Cab");
    EXPECT_EQ(Flush(handle), 0) << "a failed add ends the cabinet";
    EXPECT_EQ(Compress(path, dir.file("c.cab")), 0);
    expectRefused(0, "CabCompress file");
    expectRefused(Compress(dir.file("a.txt"), path), "CabCompress cabinet");
    expectRefused(Extract(path, out), "CabDecompress cabinet");
    expectRefused(Extract(dir.file("a.cab"), path), "CabDecompress folder");
    CallResult walk = emu.call("KVTraverseDirectory", {Value::Text(path), Value::Text("? '%s'"), Value::Text("? '%s'"),
                                                       Value::Text("*.*"), Value::Int(6)});
    EXPECT_EQ(walk.error, 0);
    EXPECT_FALSE(walk.sent());
    expectRefused(0, "KVTraverseDirectory");
    DeleteFileA(path.c_str());
  }
  EXPECT_FALSE(FileExists(dir.file("b.cab")));
  EXPECT_FALSE(FileExists(dir.file("c.cab")));
}

// After every failure LastSystemError names a failure, and the failure
// just made: each call follows one that recorded ERROR_INVALID_HANDLE.
TEST_F(Cabinet, FailuresAreRecorded) {
  WriteFile(dir.file("a.txt"), "a");
  WriteFile(dir.file("junk.cab"), std::string(100, 'j'));
  WriteFile(dir.file("escape.cab"), StoredCabinet({{"..\\x.txt", "x"}}));
  ASSERT_EQ(Compress(dir.file("a.txt"), dir.file("a.cab")), 1);
  const std::string invalidHandle = ErrorText(emu, ERROR_INVALID_HANDLE);
  struct Case {
    const char* what;
    std::function<int32_t()> call;
  };
  const Case cases[] = {
      {"cabinet path naming a folder", [&] { return Create(dir.path() + "\\"); }},
      {"missing file", [&] { return Compress(dir.file("missing.txt"), dir.file("m.cab")); }},
      {"missing cabinet folder", [&] { return Compress(dir.file("a.txt"), dir.file("none\\m.cab")); }},
      {"missing cabinet", [&] { return Extract(dir.file("missing.cab"), out); }},
      {"not a cabinet", [&] { return Extract(dir.file("junk.cab"), out); }},
      {"name leaving the folder", [&] { return Extract(dir.file("escape.cab"), out); }},
      {"missing destination", [&] { return Extract(dir.file("a.cab"), dir.file("none")); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(Flush(-1), 0);
    ASSERT_LAST_ERROR(emu, ERROR_INVALID_HANDLE);
    EXPECT_EQ(c.call(), 0) << c.what;
    EXPECT_FAILURE_RECORDED(emu) << c.what;
    EXPECT_NE(RecordedErrorText(emu), invalidHandle) << c.what;
  }
  EXPECT_EQ(Add(0x12345678, dir.file("a.txt")), 0);
  EXPECT_LAST_ERROR(emu, ERROR_INVALID_HANDLE);
}

// Names are stored without their folders, so a tree is put in a cabinet
// by walking it and adding each file; two files of the same name in
// different folders then meet on extraction, and the last one stays.
TEST_F(Cabinet, AWholeTreeThroughTheWalk) {
  for (const char* folder : {"tree", "tree\\sub"}) CreateDirectoryA(dir.file(folder).c_str(), nullptr);
  WriteFile(dir.file("tree\\x', APICreateDirectory('pwned'), '.txt"), "hostile");
  WriteFile(dir.file("tree\\same.txt"), "top");
  WriteFile(dir.file("tree\\sub\\same.txt"), "sub");
  char saved[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, saved);
  SetCurrentDirectoryA(dir.path().c_str());
  emu.setVariable("h", Value::Int(Create(dir.file("tree.cab"))));
  emu.call("KVTraverseDirectory", {Value::Text(dir.file("tree")), Value::Text("= CabAddFile2Cab(h, '%s')"),
                                   Value::Text(""), Value::Text("*.*"), Value::Int(2)});
  EXPECT_EQ(Flush(emu.variable("h")->scalar.integer), 1);
  ASSERT_EQ(Extract(dir.file("tree.cab"), out), 1);
  EXPECT_EQ(EntriesIn(out), 2u);
  EXPECT_EQ(ReadFile(out + "\\x', APICreateDirectory('pwned'), '.txt"), "hostile");
  std::string same = ReadFile(out + "\\same.txt");
  EXPECT_TRUE(same == "top" || same == "sub") << same;

  // The hostile name, extracted and walked, is printed, not run.
  std::vector<std::string> printed;
  emu.print = [&](const std::string& line) { printed.push_back(line); };
  emu.call("KVTraverseDirectory", {Value::Text(out), Value::Text("? '%s'"), Value::Text("")});
  SetCurrentDirectoryA(saved);
  EXPECT_EQ(printed.size(), 2u);
  EXPECT_FALSE(FileExists(dir.file("pwned")));
}

}  // namespace
}  // namespace larch::test
