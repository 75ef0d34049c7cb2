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
  // clang-format off
  const Case cases[] = {
      {"A:\\", 3, "FLOPPY (A:)"},  {"B:", 5, "FLOPPY (B:)"},       {"E:\\", 2, "REMOVABLE (E:)"},
      {"F:\\", 5, "CD-ROM (F:)"},  {"C:\\", 3, "No Volume (C:)"},   {"Q:\\", 1, "No Volume (Q:)"},
      {"\\\\", 0, "No Volume (\\\\)"},
  };
  // clang-format on
  for (const Case& c : cases) EXPECT_EQ(UnlabelledVolumeText(c.root, c.type), c.caption) << c.root;
  EXPECT_TRUE(IsFloppyRoot("A:\\"));
  EXPECT_FALSE(IsFloppyRoot("a:\\")) << "roots are upper-cased before";
  EXPECT_FALSE(IsFloppyRoot(""));
}

TEST(FilesDriveTexts, CaptionsNeverCutADoubleByteCharacter) {
  const LeadBytes gbk = LeadBytes::gbk();
  // A root whose second byte starts a character keeps only its first byte.
  EXPECT_EQ(UnlabelledVolumeText("C\xD6\xD0\\", 3, gbk), "No Volume (C)");
  EXPECT_EQ(LabelledVolumeText("DATA", "C\xD6\xD0", gbk), "DATA (C)");
  // A root that starts with a character gives the whole character.
  EXPECT_EQ(UnlabelledVolumeText("\xD6\xD0\\", 3, gbk), "No Volume (\xD6\xD0)");
  // Under a single-byte code page bytes stay bytes.
  EXPECT_EQ(UnlabelledVolumeText("C\xD6\xD0\\", 3), "No Volume (C\xD6)");
  EXPECT_EQ(UnlabelledVolumeText("C:\\", 3, gbk), "No Volume (C:)");
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

TEST(FilesDriveTexts, TheLongestNameOfAShellList) {
  using namespace std::string_literals;
  const std::string l259(259, 'x'), l260(260, 'y');
  struct Case {
    std::string names;
    size_t longest;
  };
  const Case cases[] = {
      {"", 0},
      {"a.txt", 5},
      {"a\0bcd"s, 3},
      {"abc\0d"s, 3},
      {l259, 259},
      {"a\0"s + l260 + "\0b"s, 260},  // a long name in the middle is seen
      {"a\0b\0"s + l260, 260},        // and at the end
      {"\0\0"s, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(LongestShellName(c.names), c.longest) << c.names.size();
}

}  // namespace
}  // namespace larch
