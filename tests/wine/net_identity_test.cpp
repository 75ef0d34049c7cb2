// Host identity: the real services where Wine has them, and fakes of
// Netbios, GetAdaptersInfo, MessageBoxA and gethostbyname at the library's
// import table for the answers a test machine cannot give.
#include <gtest/gtest.h>

#include "net_loopback.h"

#include <iphlpapi.h>
#include <nb30.h>

#include <cstdio>
#include <cstring>
#include <regex>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

// Each test has a library of its own.
class NetIdentity : public ::testing::Test {
 protected:
  HostEmulator emu;
};

TEST_F(NetIdentity, ComputerAndUserNamesAreThePlatformsAnswers) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  char user[257] = {};
  size = sizeof user;
  ASSERT_TRUE(GetUserNameA(user, &size));
  EXPECT_EQ(CallText(emu, "APIGetComputerName"), computer);
  EXPECT_EQ(CallText(emu, "APIGetUserName"), user);
}

BOOL WINAPI FailingGetName(LPSTR, LPDWORD) {
  SetLastError(ERROR_ACCESS_DENIED);
  return FALSE;
}

TEST_F(NetIdentity, NamesTheSystemCannotGiveAreEmpty) {
  ImportPatch computer(emu.module(), "kernel32.dll", "GetComputerNameA", FakeOf(&FailingGetName));
  ImportPatch user(emu.module(), "advapi32.dll", "GetUserNameA", FakeOf(&FailingGetName));
  ASSERT_TRUE(computer.active() && user.active());
  EXPECT_EQ(CallText(emu, "APIGetComputerName"), "");
  EXPECT_EQ(CallText(emu, "APIGetUserName"), "");
  // The failure is recorded for KVGetLastErrorMsg.
  EXPECT_LAST_ERROR(emu, ERROR_ACCESS_DENIED);
  EXPECT_FAILURE_RECORDED(emu);
}

// ---- gethostbyname ----------------------------------------------------

struct FakeHost {
  std::vector<std::string> addresses;  // raw bytes each
  std::vector<char*> list;
  hostent entry{};
  std::string asked;
} g_host;

hostent* WINAPI FakeGetHostByName(const char* name) {
  g_host.asked = name;
  if (g_host.addresses.empty()) {
    SetLastError(WSAHOST_NOT_FOUND);
    return nullptr;
  }
  g_host.list.clear();
  for (std::string& a : g_host.addresses) g_host.list.push_back(a.data());
  g_host.list.push_back(nullptr);
  g_host.entry.h_addrtype = AF_INET;
  g_host.entry.h_length = 4;
  g_host.entry.h_addr_list = g_host.list.data();
  g_host.entry.h_name = g_host.asked.data();
  return &g_host.entry;
}

TEST_F(NetIdentity, HostIpOfLocalNamesAndLiterals) {
  const std::pair<std::string, std::string> cases[] = {
      {"localhost", "127.0.0.1"},
      {"127.0.0.1", "127.0.0.1"},
      {"10.20.30.40", "10.20.30.40"},
      {"255.255.255.255", "255.255.255.255"},
      {"", ""},
  };
  for (const auto& [name, ip] : cases) EXPECT_EQ(CallText(emu, "KVGetHostIP", {Value::Text(name)}), ip) << name;
}

TEST_F(NetIdentity, HostIpListsJoinWithBarsAndStopAtTheLastWholeAddress) {
  ImportPatch patch(emu.module(), "ws2_32.dll", "gethostbyname", FakeOf(&FakeGetHostByName));
  ASSERT_TRUE(patch.active());
  struct Case {
    std::vector<std::string> addresses;
    std::string expected;
  };
  const std::string longest("\xFF\xFF\xFF\xFF", 4);
  std::string seven;
  for (int i = 0; i < 7; ++i) seven += (i ? "|" : "") + std::string("255.255.255.255");
  const Case cases[] = {
      {{}, ""},  // the name does not resolve
      {{std::string("\x0A\x00\x00\x01", 4)}, "10.0.0.1"},
      {{std::string("\x0A\x00\x00\x01", 4), std::string("\xC0\xA8\x01\x02", 4)}, "10.0.0.1|192.168.1.2"},
      {std::vector<std::string>(9, longest), seven},  // 7 fit in 124 characters
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    g_host.addresses = c.addresses;
    EXPECT_EQ(CallText(emu, "KVGetHostIP", {Value::Text("some.name")}), c.expected);
    EXPECT_EQ(g_host.asked, "some.name");
  }
}

// ---- GetAdaptersInfo and its message boxes ------------------------------

struct FakeAdapters {
  DWORD sizeCode = ERROR_BUFFER_OVERFLOW;
  DWORD fillCode = ERROR_SUCCESS;
  std::vector<IP_ADAPTER_INFO> adapters;
  std::vector<std::pair<std::string, std::string>> boxes;  // text, title
  UINT boxType = 99;
  HWND boxOwner = reinterpret_cast<HWND>(1);
} g_adapters;

ULONG WINAPI FakeGetAdaptersInfo(IP_ADAPTER_INFO* buffer, ULONG* size) {
  ULONG needed = static_cast<ULONG>(g_adapters.adapters.size() * sizeof(IP_ADAPTER_INFO));
  if (!buffer) {
    *size = needed;
    return g_adapters.sizeCode;
  }
  if (g_adapters.fillCode != ERROR_SUCCESS) return g_adapters.fillCode;
  if (*size < needed) return ERROR_BUFFER_OVERFLOW;
  for (size_t i = 0; i < g_adapters.adapters.size(); ++i) {
    buffer[i] = g_adapters.adapters[i];
    buffer[i].Next = i + 1 < g_adapters.adapters.size() ? &buffer[i + 1] : nullptr;
  }
  return ERROR_SUCCESS;
}

int WINAPI FakeMessageBox(HWND owner, LPCSTR text, LPCSTR title, UINT type) {
  g_adapters.boxes.emplace_back(text, title);
  g_adapters.boxType = type;
  g_adapters.boxOwner = owner;
  return IDOK;
}

IP_ADAPTER_INFO Adapter(UINT type, uint8_t last, UINT addressLength = 6) {
  IP_ADAPTER_INFO a{};
  a.Type = type;
  a.AddressLength = addressLength;
  const uint8_t bytes[6] = {0x00, 0x1A, 0xB2, 0x0C, 0xD4, last};
  std::memcpy(a.Address, bytes, 6);
  return a;
}

class NetAdapters : public ::testing::Test {
 protected:
  void SetUp() override { g_adapters = {}; }
  HostEmulator emu;
  ImportPatch info{emu.module(), "iphlpapi.dll", "GetAdaptersInfo", FakeOf(&FakeGetAdaptersInfo)};
  ImportPatch box{emu.module(), "user32.dll", "MessageBoxA", FakeOf(&FakeMessageBox)};
};

TEST_F(NetAdapters, SelectsByTypeInListOrder) {
  ASSERT_TRUE(info.active() && box.active());
  g_adapters.adapters = {Adapter(6, 0x01), Adapter(24, 0x02), Adapter(71, 0x03, 4), Adapter(6, 0xEF)};
  EXPECT_EQ(CallText(emu, "KVGetMac2", {Value::Int(6)}), "00-1A-B2-0C-D4-01|00-1A-B2-0C-D4-EF|");
  // The address length is not consulted: six groups whatever it says.
  EXPECT_EQ(CallText(emu, "KVGetMac2", {Value::Int(71)}), "00-1A-B2-0C-D4-03|");
  const std::string all = "00-1A-B2-0C-D4-01|00-1A-B2-0C-D4-02|00-1A-B2-0C-D4-03|00-1A-B2-0C-D4-EF|";
  EXPECT_EQ(CallText(emu, "KVGetMac2"), all);
  EXPECT_EQ(CallText(emu, "KVGetMac2", {Value::Int(0)}), all);
  EXPECT_EQ(CallText(emu, "KVGetMac2", {Value::Int(23)}), "");
  EXPECT_TRUE(g_adapters.boxes.empty());
}

TEST_F(NetAdapters, MoreAdaptersThanFitAreCutAtTheLastWholeEntry) {
  for (int i = 0; i < 20; ++i) g_adapters.adapters.push_back(Adapter(6, static_cast<uint8_t>(i)));
  std::string got = CallText(emu, "KVGetMac2");
  EXPECT_EQ(got.size(), 15u * 18u);
  EXPECT_EQ(got.substr(got.size() - 18), "00-1A-B2-0C-D4-0E|");
}

TEST_F(NetAdapters, NoDataAndNotSupportedShowTheirMessages) {
  struct Case {
    DWORD code;
    const char* message;  // nullptr: no message
  };
  const Case cases[] = {
      {ERROR_NO_DATA, "No adapter information exists for the local computer"},
      {ERROR_NOT_SUPPORTED, "GetAdaptersInfo is not supported by the operating system running on the local computer"},
      {ERROR_INVALID_PARAMETER, nullptr},
      {ERROR_SUCCESS, nullptr},  // nothing to list
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "code " << c.code);
    g_adapters = {};
    g_adapters.sizeCode = c.code;
    if (c.code == ERROR_SUCCESS) g_adapters.adapters.clear();
    EXPECT_EQ(CallText(emu, "KVGetMac2"), "") << c.code;
    if (!c.message) {
      EXPECT_TRUE(g_adapters.boxes.empty()) << c.code;
      continue;
    }
    ASSERT_EQ(g_adapters.boxes.size(), 1u) << c.code;
    EXPECT_EQ(g_adapters.boxes[0].first, c.message);
    EXPECT_EQ(g_adapters.boxes[0].second, "Larch_fll by brenwick");
    EXPECT_EQ(g_adapters.boxType, static_cast<UINT>(MB_OK));
    EXPECT_EQ(g_adapters.boxOwner, nullptr);
  }
  // The list call itself failing after the size was given.
  g_adapters = {};
  g_adapters.adapters = {Adapter(6, 1)};
  g_adapters.fillCode = ERROR_NO_DATA;
  EXPECT_EQ(CallText(emu, "KVGetMac2"), "");
  EXPECT_TRUE(g_adapters.boxes.empty());
}

TEST_F(NetAdapters, WithoutADisplayNoMessageIsShown) {
  NoDesktop noDisplay(emu);
  ASSERT_TRUE(noDisplay.active());
  for (DWORD code : {static_cast<DWORD>(ERROR_NO_DATA), static_cast<DWORD>(ERROR_NOT_SUPPORTED)}) {
    g_adapters = {};
    g_adapters.sizeCode = code;
    EXPECT_EQ(CallText(emu, "KVGetMac2"), "") << code;
    EXPECT_TRUE(g_adapters.boxes.empty()) << code;
  }
}

TEST_F(NetIdentity, RealAdapterListHasTheEntryFormat) {
  std::string all = CallText(emu, "KVGetMac2");
  EXPECT_TRUE(std::regex_match(all, std::regex("(([0-9A-F]{2}-){5}[0-9A-F]{2}\\|){0,15}"))) << all;
  EXPECT_EQ(CallText(emu, "KVGetMac2", {Value::Int(9999)}), "");
}

// ---- Netbios ------------------------------------------------------------

struct FakeNetbios {
  std::vector<NCB> calls;
  UCHAR statusAnswer = NRC_CMDTMO;
  bool computerNameFails = false;
} g_netbios;

UCHAR WINAPI FakeNetbiosCall(NCB* ncb) {
  g_netbios.calls.push_back(*ncb);
  if (ncb->ncb_command != NCBASTAT) return NRC_GOODRET;
  if (g_netbios.statusAnswer == NRC_GOODRET) {
    const uint8_t address[6] = {0x52, 0x54, 0x00, 0xAB, 0xCD, 0x0F};
    std::memcpy(ncb->ncb_buffer, address, 6);
  }
  return g_netbios.statusAnswer;
}

BOOL WINAPI FakeGetComputerName(LPSTR name, LPDWORD size) {
  if (g_netbios.computerNameFails) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  EXPECT_EQ(*size, 16u);
  std::snprintf(name, *size, "%s", "host-a");
  *size = 6;
  return TRUE;
}

// NetBIOS looks the name up like a host name; only a name the hosts file
// knows is asked, so the test sends no query off the machine.
bool HostsFileKnows(std::string name) {
  std::string hosts = ReadFile("Z:\\etc\\hosts");
  for (char& c : hosts) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::regex_search(hosts, std::regex("(^|\\s)" + name + "(\\s|$)"));
}

TEST_F(NetIdentity, LocalHostMacHasTheFormat) {
  char computer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  if (!HostsFileKnows(computer)) GTEST_SKIP() << computer << " is not in the hosts file";
  std::string mac = CallText(emu, "KVGetHostMac", {Value::Text("")});
  EXPECT_TRUE(std::regex_match(mac, std::regex("([0-9A-F]{2}-){5}[0-9A-F]{2}"))) << mac;
}

TEST_F(NetIdentity, HostMacAsksLanaZeroWithThePaddedUpperCaseName) {
  ImportPatch netbios(emu.module(), "netapi32.dll", "Netbios", FakeOf(&FakeNetbiosCall));
  ImportPatch computer(emu.module(), "kernel32.dll", "GetComputerNameA", FakeOf(&FakeGetComputerName));
  ASSERT_TRUE(netbios.active() && computer.active());

  struct Case {
    std::string name;
    UCHAR answer;
    std::string callName;  // 16 bytes; empty: Netbios is not called
    std::string result;
  };
  const Case cases[] = {
      {"pc-b", NRC_GOODRET, std::string("PC-B           \0", 16), "52-54-00-AB-CD-0F"},
      {"", NRC_GOODRET, std::string("HOST-A         \0", 16), "52-54-00-AB-CD-0F"},
      {"nobody", NRC_CMDTMO, std::string("NOBODY         \0", 16), ""},
      {std::string(15, 'n'), NRC_GOODRET, std::string(15, 'N') + std::string(1, '\0'), "52-54-00-AB-CD-0F"},
      {std::string(16, 'n'), NRC_GOODRET, "", ""},  // no NetBIOS name is that long
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    g_netbios = {};
    g_netbios.statusAnswer = c.answer;
    EXPECT_EQ(CallText(emu, "KVGetHostMac", {Value::Text(c.name)}), c.result) << c.name;
    if (c.callName.empty()) {
      EXPECT_TRUE(g_netbios.calls.empty());
      continue;
    }
    ASSERT_EQ(g_netbios.calls.size(), 2u);
    const NCB& reset = g_netbios.calls[0];
    EXPECT_EQ(reset.ncb_command, NCBRESET);
    EXPECT_EQ(reset.ncb_lana_num, 0);
    const NCB& status = g_netbios.calls[1];
    EXPECT_EQ(status.ncb_command, NCBASTAT);
    EXPECT_EQ(status.ncb_lana_num, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(status.ncb_callname), 16), c.callName);
    EXPECT_EQ(status.ncb_name[0], 0);
    EXPECT_EQ(status.ncb_length, 600);
  }
  g_netbios = {};
  g_netbios.computerNameFails = true;
  EXPECT_EQ(CallText(emu, "KVGetHostMac", {Value::Text("")}), "");
  EXPECT_TRUE(g_netbios.calls.empty());
}

}  // namespace
}  // namespace larch::test
