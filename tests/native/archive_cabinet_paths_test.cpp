#include <gtest/gtest.h>

#include <string>

#include "archive/cabinet_paths.h"

namespace larch {
namespace {

const LeadBytes kSingle;
const LeadBytes kGbk = LeadBytes::gbk();

// The path splits into this folder and stored name under these lead bytes.
void ExpectSplit(const LeadBytes& leads, const std::string& path, const std::string& folder, const std::string& name) {
  auto split = SplitCabinetPath(leads, path);
  ASSERT_TRUE(split) << path;
  EXPECT_EQ(split->folder, folder) << path;
  EXPECT_EQ(split->name, name) << path;
  EXPECT_EQ(StoredFileName(leads, path), name) << path;
}

TEST(CabinetPaths, SplitAtTheLastSeparator) {
  struct Case {
    std::string path, folder, name;
  };
  const Case cases[] = {
      {"C:\\out\\a.cab", "C:\\out\\", "a.cab"},
      {"a.cab", "", "a.cab"},
      {"\\a.cab", "\\", "a.cab"},
      {"C:/out/sub\\a.cab", "C:/out/sub\\", "a.cab"},
      {"C:\\x\\y/a.cab", "C:\\x\\y/", "a.cab"},
  };
  for (const Case& c : cases) ExpectSplit(kSingle, c.path, c.folder, c.name);
  for (const char* refused : {"", "C:\\out\\", "C:/out/"}) {
    EXPECT_FALSE(SplitCabinetPath(kSingle, refused)) << refused;
    EXPECT_FALSE(StoredFileName(kSingle, refused)) << refused;
  }
}

TEST(CabinetPaths, LengthLimits) {
  // Whole path up to 259, folder and name each up to 255.
  std::string folder255 = std::string(254, 'd') + "\\";
  EXPECT_TRUE(SplitCabinetPath(kSingle, folder255 + "a"));
  EXPECT_FALSE(SplitCabinetPath(kSingle, "x" + folder255 + "a"));
  EXPECT_TRUE(SplitCabinetPath(kSingle, std::string(255, 'n')));
  EXPECT_FALSE(SplitCabinetPath(kSingle, std::string(256, 'n')));
  EXPECT_TRUE(SplitCabinetPath(kSingle, "C:\\" + std::string(255, 'n')));                        // 258
  EXPECT_TRUE(SplitCabinetPath(kSingle, std::string(200, 'd') + "\\" + std::string(58, 'n')));   // 259
  EXPECT_FALSE(SplitCabinetPath(kSingle, std::string(200, 'd') + "\\" + std::string(59, 'n')));  // 260

  EXPECT_TRUE(StoredFileName(kSingle, std::string(255, 'n')));
  EXPECT_FALSE(StoredFileName(kSingle, std::string(256, 'n')));
  EXPECT_FALSE(StoredFileName(kSingle, std::string(200, 'd') + "\\" + std::string(59, 'n')));
}

TEST(CabinetPaths, ExtractionFolder) {
  EXPECT_EQ(ExtractionFolder(kSingle, "C:\\out"), "C:\\out\\");
  EXPECT_EQ(ExtractionFolder(kSingle, "C:\\out\\"), "C:\\out\\");
  EXPECT_EQ(ExtractionFolder(kSingle, "out"), "out\\");
  EXPECT_FALSE(ExtractionFolder(kSingle, ""));
  EXPECT_TRUE(ExtractionFolder(kSingle, std::string(258, 'd')));  // 259 with the backslash
  EXPECT_TRUE(ExtractionFolder(kSingle, std::string(258, 'd') + "\\"));
  EXPECT_FALSE(ExtractionFolder(kSingle, std::string(259, 'd')));
  EXPECT_FALSE(ExtractionFolder(kSingle, std::string(259, 'd') + "\\"));
}

TEST(CabinetPaths, NamesThatStayInTheDestination) {
  for (const char* name : {"a.txt", "sub\\a.txt", "..a", "a..", "a\\..b\\c", ".hidden"}) {
    EXPECT_TRUE(IsContainedName(kSingle, name)) << name;
  }
  for (const char* name : {"", "..", "..\\a.txt", "a\\..\\..\\b", "sub/../../b", "a\\..", "\\a.txt", "/a.txt",
                           "C:\\a.txt", "C:a.txt", "\\\\server\\share\\a"}) {
    EXPECT_FALSE(IsContainedName(kSingle, name)) << name;
  }
}

// 誠 is D5 5C and 淺 9C 5C: their second byte is a backslash only to a
// reader of single bytes.
TEST(CabinetPaths, DoubleByteNamesEndingInBackslashBytes) {
  const std::string cheng = "\xD5\x5C", qian = "\x9C\x5C";
  struct Case {
    std::string path, gbkFolder, gbkName, singleFolder, singleName;
  };
  const Case cases[] = {
      {"C:\\in\\" + cheng + ".txt", "C:\\in\\", cheng + ".txt", "C:\\in\\\xD5\\", ".txt"},
      {qian + ".txt", "", qian + ".txt", "\x9C\\", ".txt"},
      {"C:\\" + cheng + "\\a.cab", "C:\\" + cheng + "\\", "a.cab", "C:\\" + cheng + "\\", "a.cab"},
  };
  for (const Case& c : cases) {
    ExpectSplit(kGbk, c.path, c.gbkFolder, c.gbkName);
    ExpectSplit(kSingle, c.path, c.singleFolder, c.singleName);
  }
  // A path ending in such a character names a file under GBK, a folder
  // byte by byte.
  EXPECT_TRUE(SplitCabinetPath(kGbk, "C:\\out\\" + cheng));
  EXPECT_FALSE(SplitCabinetPath(kSingle, "C:\\out\\" + cheng));

  // The destination's closing separator is judged by character too.
  EXPECT_EQ(ExtractionFolder(kGbk, "C:\\out\\" + cheng), "C:\\out\\" + cheng + "\\");
  EXPECT_EQ(ExtractionFolder(kGbk, "C:\\out\\" + cheng + "\\"), "C:\\out\\" + cheng + "\\");
  EXPECT_EQ(ExtractionFolder(kSingle, "C:\\out\\" + cheng), "C:\\out\\" + cheng);
  // Half a character at the end would swallow the closing backslash.
  EXPECT_FALSE(ExtractionFolder(kGbk, "C:\\out\\\xD5"));
  EXPECT_EQ(ExtractionFolder(kSingle, "C:\\out\\\xD5"), "C:\\out\\\xD5\\");

  // Stored names: 淺.. is one name under GBK, a ".." part byte by byte.
  EXPECT_TRUE(IsContainedName(kGbk, qian + ".."));
  EXPECT_FALSE(IsContainedName(kSingle, qian + ".."));
  EXPECT_FALSE(IsContainedName(kGbk, cheng + "\\..\\..\\x"));
  EXPECT_FALSE(IsContainedName(kGbk, "a\nb"));
}

TEST(CabinetPaths, DeviceNames) {
  // The system takes these for devices: before the first dot, blanks and
  // dots after the name dropped, any letter case.
  for (const char* part : {"aux", "AUX", "con.txt", "NUL", "nul.", "Nul..", "prn", "COM1", "com9", "LPT1", "lpt9.log",
                           "aux ", "con  .txt", "com1 .x.y", "CONIN$", "conout$.txt"}) {
    EXPECT_TRUE(IsDeviceName(kSingle, part)) << part;
    EXPECT_TRUE(IsDeviceName(kGbk, part)) << part;
  }
  for (const char* part : {"", "auxx", "au", "con1", "nul_", "com0", "com10", "lpt", "LPT0.txt", "xaux", " aux",
                           "console.txt", "comA", ".aux", "a.con"}) {
    EXPECT_FALSE(IsDeviceName(kSingle, part)) << part;
  }
  // COM¹ under a single-byte code page; under GBK 0xB9 starts a character.
  EXPECT_TRUE(IsDeviceName(kSingle, "COM\xB9"));
  EXPECT_FALSE(IsDeviceName(kGbk, "COM\xB9\xA1"));
}

TEST(CabinetPaths, WritableStoredNames) {
  for (const char* name : {"a.txt", "sub\\a.txt", "console.txt", "auxiliary\\com10.txt", "\xB8\xDF.txt"}) {
    EXPECT_TRUE(IsWritableStoredName(kGbk, name)) << name;
  }
  // A device anywhere in the name, and everything IsContainedName refuses.
  for (const char* name : {"aux", "con.txt", "sub\\nul", "sub/LPT1.txt", "aux\\a.txt", "..\\a.txt", "C:a", ""}) {
    EXPECT_FALSE(IsWritableStoredName(kGbk, name)) << name;
  }
}

TEST(CabinetPaths, OnlySingleCabinetsAreRead) {
  EXPECT_TRUE(ContinuesAfter(CabNotice::kCabinetInfo));
  EXPECT_TRUE(ContinuesAfter(CabNotice::kCabinetInfo, ""));
  EXPECT_FALSE(ContinuesAfter(CabNotice::kCabinetInfo, "next.cab"));
  EXPECT_FALSE(ContinuesAfter(CabNotice::kCabinetInfo, "..\\outside\\b.cab"));
  EXPECT_FALSE(ContinuesAfter(CabNotice::kNextCabinet));
  EXPECT_FALSE(ContinuesAfter(CabNotice::kPartialFile));
  for (CabNotice notice : {CabNotice::kCopyFile, CabNotice::kCloseFile, CabNotice::kOther}) {
    SCOPED_TRACE(static_cast<int>(notice));
    EXPECT_TRUE(ContinuesAfter(notice, "ignored.cab"));
  }
}

TEST(CabinetPaths, AsciiNames) {
  EXPECT_TRUE(IsAsciiName("plain name~1.txt"));
  EXPECT_TRUE(IsAsciiName(""));
  EXPECT_FALSE(IsAsciiName("\xD6\xD0.txt"));
  EXPECT_FALSE(IsAsciiName("caf\xE9"));
}

}  // namespace
}  // namespace larch
