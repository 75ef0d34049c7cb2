// The dialog templates compiled into the library: styles, sizes, fonts,
// language, and every control's id, kind, text and place, read back from
// the resource bytes.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "text_encoding.h"

namespace larch::test {
namespace {

struct Control {
  int id;
  std::string kind;  // class, upper case: BUTTON, EDIT, STATIC or a name
  uint32_t style;
  uint32_t exStyle;
  short x, y, cx, cy;
  std::string text;  // UTF-8
};

struct Template {
  uint32_t style = 0;
  short cx = 0, cy = 0;
  std::string caption;
  uint16_t pointSize = 0;
  std::string font;
  std::vector<Control> controls;
};

// Reads a classic DLGTEMPLATE (not the extended form).
class TemplateReader {
 public:
  explicit TemplateReader(const uint8_t* at) : at_(at) {}

  Template read() {
    Template t;
    t.style = dword();
    dword();  // extended style
    uint16_t count = word();
    word(), word();
    t.cx = static_cast<short>(word());
    t.cy = static_cast<short>(word());
    nameOrOrdinal();  // menu
    nameOrOrdinal();  // class
    t.caption = text();
    if (t.style & DS_SETFONT) {
      t.pointSize = word();
      t.font = text();
    }
    for (uint16_t i = 0; i < count; ++i) {
      align();
      Control c;
      c.style = dword();
      c.exStyle = dword();
      c.x = static_cast<short>(word());
      c.y = static_cast<short>(word());
      c.cx = static_cast<short>(word());
      c.cy = static_cast<short>(word());
      c.id = static_cast<short>(word());
      c.kind = nameOrOrdinal();
      CharUpperBuffA(c.kind.data(), static_cast<DWORD>(c.kind.size()));
      c.text = nameOrOrdinal();
      at_ += word();  // creation data
      t.controls.push_back(c);
    }
    return t;
  }

 private:
  uint16_t word() {
    uint16_t w = static_cast<uint16_t>(at_[0] | (at_[1] << 8));
    at_ += 2;
    return w;
  }
  uint32_t dword() {
    uint32_t low = word();
    return low | (static_cast<uint32_t>(word()) << 16);
  }
  void align() {
    while (reinterpret_cast<uintptr_t>(at_) % 4) ++at_;
  }
  std::string text() {
    std::wstring w;
    while (uint16_t c = word()) w.push_back(static_cast<wchar_t>(c));
    return Narrow(w, CP_UTF8);
  }
  std::string nameOrOrdinal() {
    if (at_[0] == 0xFF && at_[1] == 0xFF) {
      word();
      switch (uint16_t ordinal = word()) {
        case 0x80: return "BUTTON";
        case 0x81: return "EDIT";
        case 0x82: return "STATIC";
        default: return "#" + std::to_string(ordinal);
      }
    }
    return text();
  }
  const uint8_t* at_;
};

// Control kinds as the dialogs use them.
constexpr uint32_t kLabel = 0x50020000, kEdit = 0x50010080, kPassword = 0x500100A0, kNumber = 0x50012082;
constexpr uint32_t kButton = 0x50010000, kDefault = 0x50010001, kCheck = 0x50010003, kLine = 0x50000010;
constexpr uint32_t kEdge = WS_EX_STATICEDGE;

struct Expected {
  int id;
  const char* caption;
  short cx, cy;
  uint16_t points;
  std::vector<Control> controls;
};

// clang-format off
const Expected kDialogs[] = {
    {101, "请输入登录帐号:", 189, 75, 9,
     {{1013, "STATIC", kLabel, 0, 7, 14, 32, 8, "用户名:"},
      {1000, "EDIT", kEdit, kEdge, 43, 11, 137, 13, ""},
      {1014, "STATIC", kLabel, 0, 7, 29, 32, 8, "密码:"},
      {1001, "EDIT", kPassword, kEdge, 43, 28, 137, 13, ""},
      {-1, "STATIC", kLine, 0, 7, 51, 180, 1, ""},
      {1, "BUTTON", kDefault, kEdge, 43, 57, 46, 14, "确定"},
      {2, "BUTTON", kButton, kEdge, 101, 57, 46, 14, "取消"}}},
    {113, "设置MSSQLServer连接参数", 195, 124, 10,
     {{1008, "STATIC", kLabel, 0, 7, 8, 39, 8, "服务器名:"},
      {1004, "EDIT", kEdit, kEdge, 52, 6, 135, 13, ""},
      {1009, "STATIC", kLabel, 0, 7, 24, 39, 8, "数据库名:"},
      {1005, "EDIT", kEdit, kEdge, 52, 22, 135, 13, ""},
      {1010, "STATIC", kLabel, 0, 7, 40, 39, 8, "用户名:"},
      {1006, "EDIT", kEdit, kEdge, 52, 38, 135, 13, ""},
      {1011, "STATIC", kLabel, 0, 7, 56, 39, 8, "密码:"},
      {1007, "EDIT", kPassword, kEdge, 52, 54, 135, 13, ""},
      {1003, "BUTTON", kCheck, 0, 52, 71, 132, 10, "信任当前的Windows登录连接(&L)"},
      {1012, "STATIC", kLabel, 0, 7, 86, 97, 8, "等待超时时间(10 - 60 秒):"},
      {1000, "EDIT", kNumber, kEdge, 120, 83, 46, 12, ""},
      {1002, "MSCTLS_UPDOWN32", 0x500000A6, 0, 167, 83, 10, 12, "Spin1"},
      {-1, "STATIC", kLine, 0, 0, 101, 194, 1, ""},
      {1, "BUTTON", kDefault, kEdge, 41, 106, 50, 14, "确定"},
      {2, "BUTTON", kButton, kEdge, 104, 106, 50, 14, "取消"}}},
    {114, "设置MS Access连接参数", 276, 91, 9,
     {{1000, "STATIC", kLabel, 0, 8, 10, 31, 8, "文件名:"},
      {1008, "EDIT", kEdit, kEdge, 42, 8, 211, 13, ""},
      {1011, "BUTTON", kButton, kEdge, 254, 8, 13, 13, "..."},
      {1001, "STATIC", kLabel, 0, 8, 28, 31, 8, "用户名:"},
      {1009, "EDIT", kEdit, kEdge, 42, 25, 135, 13, ""},
      {1002, "STATIC", kLabel, 0, 8, 44, 31, 8, "密码:"},
      {1010, "EDIT", kPassword, kEdge, 42, 43, 135, 13, ""},
      {-1, "STATIC", kLine, 0, 4, 64, 269, 1, ""},
      {1, "BUTTON", kDefault, kEdge, 81, 71, 50, 14, "确定"},
      {2, "BUTTON", kButton, kEdge, 145, 71, 50, 14, "取消"}}},
    {120, "About .....", 212, 81, 9,
     {{1015, "STATIC", kLabel, 0, 34, 12, 173, 11, "Static"},
      {1016, "STATIC", kLabel, 0, 34, 30, 173, 11, "Static"},
      {-1, "STATIC", kLine, 0, 16, 52, 193, 1, ""},
      {1, "BUTTON", kDefault, kEdge, 149, 59, 50, 14, "OK"}}},
};
// clang-format on

std::string Describe(const Control& c) {
  char line[160];
  snprintf(line, sizeof line, "%d %s %08X %08X %d,%d %dx%d ", c.id, c.kind.c_str(), static_cast<unsigned>(c.style),
           static_cast<unsigned>(c.exStyle), c.x, c.y, c.cx, c.cy);
  return line + c.text;
}

TEST(DialogTemplates, MatchTheirLayoutsInChinesePrc) {
  HostEmulator emu;
  for (const Expected& e : kDialogs) {
    HRSRC found = FindResourceExA(emu.module(), MAKEINTRESOURCEA(5) /* RT_DIALOG */, MAKEINTRESOURCEA(e.id),
                                  MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    ASSERT_NE(found, nullptr) << e.id;
    auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(emu.module(), found)));
    Template t = TemplateReader(bytes).read();
    EXPECT_EQ(t.style, 0x80C808C0u) << e.id;
    EXPECT_EQ(t.cx, e.cx) << e.id;
    EXPECT_EQ(t.cy, e.cy) << e.id;
    EXPECT_EQ(t.caption, e.caption) << e.id;
    EXPECT_EQ(t.pointSize, e.points) << e.id;
    EXPECT_EQ(t.font, "宋体") << e.id;
    ASSERT_EQ(t.controls.size(), e.controls.size()) << e.id;
    for (size_t i = 0; i < e.controls.size(); ++i) {
      EXPECT_EQ(Describe(t.controls[i]), Describe(e.controls[i])) << "dialog " << e.id;
    }
  }
}

}  // namespace
}  // namespace larch::test
