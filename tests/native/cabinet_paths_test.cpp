#include <gtest/gtest.h>

#include <string>

#include "files/cabinet_paths.h"

namespace larch {
namespace {

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
  for (const Case& c : cases) {
    auto split = SplitCabinetPath(c.path);
    ASSERT_TRUE(split) << c.path;
    EXPECT_EQ(split->folder, c.folder) << c.path;
    EXPECT_EQ(split->name, c.name) << c.path;
    EXPECT_EQ(StoredFileName(c.path), c.name) << c.path;
  }
  for (const char* refused : {"", "C:\\out\\", "C:/out/"}) {
    EXPECT_FALSE(SplitCabinetPath(refused)) << refused;
    EXPECT_FALSE(StoredFileName(refused)) << refused;
  }
}

TEST(CabinetPaths, LengthLimits) {
  // Whole path up to 259, folder and name each up to 255.
  std::string folder255 = std::string(254, 'd') + "\\";
  EXPECT_TRUE(SplitCabinetPath(folder255 + "a"));
  EXPECT_FALSE(SplitCabinetPath("x" + folder255 + "a"));
  EXPECT_TRUE(SplitCabinetPath(std::string(255, 'n')));
  EXPECT_FALSE(SplitCabinetPath(std::string(256, 'n')));
  EXPECT_TRUE(SplitCabinetPath("C:\\" + std::string(255, 'n')));  // 258
  EXPECT_TRUE(SplitCabinetPath(std::string(200, 'd') + "\\" + std::string(58, 'n')));  // 259
  EXPECT_FALSE(SplitCabinetPath(std::string(200, 'd') + "\\" + std::string(59, 'n')));  // 260

  EXPECT_TRUE(StoredFileName(std::string(255, 'n')));
  EXPECT_FALSE(StoredFileName(std::string(256, 'n')));
  EXPECT_FALSE(StoredFileName(std::string(200, 'd') + "\\" + std::string(59, 'n')));
}

TEST(CabinetPaths, ExtractionFolder) {
  EXPECT_EQ(ExtractionFolder("C:\\out"), "C:\\out\\");
  EXPECT_EQ(ExtractionFolder("C:\\out\\"), "C:\\out\\");
  EXPECT_EQ(ExtractionFolder("out"), "out\\");
  EXPECT_FALSE(ExtractionFolder(""));
  EXPECT_TRUE(ExtractionFolder(std::string(258, 'd')));  // 259 with the backslash
  EXPECT_TRUE(ExtractionFolder(std::string(258, 'd') + "\\"));
  EXPECT_FALSE(ExtractionFolder(std::string(259, 'd')));
  EXPECT_FALSE(ExtractionFolder(std::string(259, 'd') + "\\"));
}

TEST(CabinetPaths, NamesThatStayInTheDestination) {
  for (const char* name : {"a.txt", "sub\\a.txt", "..a", "a..", "a\\..b\\c", ".hidden"}) {
    EXPECT_TRUE(IsContainedName(name)) << name;
  }
  for (const char* name : {"", "..", "..\\a.txt", "a\\..\\..\\b", "sub/../../b", "a\\..", "\\a.txt", "/a.txt",
                           "C:\\a.txt", "C:a.txt", "\\\\server\\share\\a"}) {
    EXPECT_FALSE(IsContainedName(name)) << name;
  }
}

}  // namespace
}  // namespace larch
