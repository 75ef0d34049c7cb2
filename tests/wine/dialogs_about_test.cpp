// The About box, driven through its real window.
#include <gtest/gtest.h>

#include "dialogs_robot.h"
#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

struct Closing {
  const char* how;
  void (*act)(HWND dialog);
  int32_t result;
};

TEST(AboutDialog, ShowsTheTextsAndEndsWithTheWayItWasClosed) {
  const Closing closings[] = {
      {"OK button", [](HWND d) { Robot::click(d, IDOK); }, 1},
      {"Enter", [](HWND d) { Robot::key(d, VK_RETURN); }, 1},
      {"Esc", [](HWND d) { Robot::key(d, VK_ESCAPE); }, 2},
      {"close box", [](HWND d) { Robot::closeBox(d); }, 2},
  };
  HostEmulator emu;
  const std::string caption = Gbk("关于 larch");
  const std::string line1 = Gbk("第一行");
  for (const Closing& c : closings) {
    SCOPED_TRACE(c.how);
    Robot robot([&](Robot& r) {
      HWND dialog = r.waitForDialog(caption);
      if (!dialog) return;
      r.expectText(Robot::text(dialog, 1015), line1, "first line");
      r.expectText(Robot::text(dialog, 1016), "Version 1.3", "second line");
      r.expectText(Robot::text(dialog, IDOK), "OK", "button");
      c.act(dialog);
      r.waitGone(dialog, c.how);
    });
    CallResult result =
        emu.call("KVShowAboutDlg", {Value::Text(line1), Value::Text("Version 1.3"), Value::Text(caption)});
    EXPECT_EQ(robot.finish(), std::vector<std::string>{}) << c.how;
    EXPECT_EQ(result.value.integer, c.result) << c.how;
    EXPECT_EQ(result.value.width, 10);
  }
}

TEST(AboutDialog, EmptyTextsGiveEmptyLabelsAndCaption) {
  HostEmulator emu;
  Robot robot([](Robot& r) {
    HWND dialog = r.waitForWindow([](HWND w) { return Robot::IsDialog(w) && GetDlgItem(w, 1015); }, "about box");
    if (!dialog) return;
    r.expectText(Robot::text(dialog), "", "caption");
    r.expectText(Robot::text(dialog, 1015), "", "first line");
    r.expectText(Robot::text(dialog, 1016), "", "second line");
    Robot::click(dialog, IDOK);
  });
  CallResult result = emu.call("KVShowAboutDlg", {Value::Text(""), Value::Text(""), Value::Text("")});
  EXPECT_EQ(robot.finish(), std::vector<std::string>{});
  EXPECT_EQ(result.value.integer, 1);
}

}  // namespace
}  // namespace larch::test
