// Volume captions, drive lists and shell name lists.
#include <gtest/gtest.h>

#include "files/drive_texts.h"

namespace larch {
namespace {

TEST(FilesDriveTexts, VolumeCaptions) {
  EXPECT_EQ(LabelledVolumeText("SYSTEM", "C:\\"), "SYSTEM (C:)");
  EXPECT_EQ(LabelledVolumeText("", "D:"), " (D:)");
  struct Case {
    const char* root;
    unsigned type;
    const char* caption;
  };
  const Case cases[] = {
      {"A:\\", 3, "FLOPPY (A:)"},  {"B:", 5, "FLOPPY (B:)"},       {"E:\\", 2, "REMOVABLE (E:)"},
      {"F:\\", 5, "CD-ROM (F:)"},  {"C:\\", 3, "No Volume (C:)"},   {"Q:\\", 1, "No Volume (Q:)"},
      {"\\\\", 0, "No Volume (\\\\)"},
  };
  for (const Case& c : cases) EXPECT_EQ(UnlabelledVolumeText(c.root, c.type), c.caption) << c.root;
  EXPECT_TRUE(IsFloppyRoot("A:\\"));
  EXPECT_FALSE(IsFloppyRoot("a:\\")) << "roots are upper-cased before";
  EXPECT_FALSE(IsFloppyRoot(""));
}

TEST(FilesDriveTexts, DriveListsEndEveryRootWithABar) {
  EXPECT_EQ(DriveListText(std::string("C:\\\0D:\\\0", 8)), "C:\\|D:\\|");
  EXPECT_EQ(DriveListText(""), "");
}

TEST(FilesDriveTexts, ShellNameListsEndWithTwoNuls) {
  EXPECT_EQ(ShellNameList("a.txt"), std::string("a.txt\0\0", 7));
  EXPECT_EQ(ShellNameList(std::string("a\0b", 3)), std::string("a\0b\0\0", 5));
  EXPECT_EQ(ShellNameList(""), std::string("\0\0", 2));
}

}  // namespace
}  // namespace larch
