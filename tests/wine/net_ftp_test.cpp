// The FTP session against a real FTP server on 127.0.0.1 (pyftpdlib),
// started and stopped by each test; the connection arguments also against
// a fake of InternetConnectA.
#include <gtest/gtest.h>

#include "net_loopback.h"

#include <wininet.h>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

const char kUser[] = "larch";
const char kPassword[] = "s3cret";

std::vector<Arg> Texts(std::initializer_list<std::string> texts) {
  std::vector<Arg> args;
  for (const std::string& t : texts) args.emplace_back(Value::Text(t));
  return args;
}

bool Op(HostEmulator& emu, const std::string& name, std::initializer_list<std::string> texts) {
  CallResult r = emu.call(name, Texts(texts));
  EXPECT_EQ(r.rawType, 'L') << name;
  return r.value.logical;
}

bool Connected(HostEmulator& emu) { return emu.call("KVCheckFtpConnect").value.logical; }
std::string CurrentDir(HostEmulator& emu) { return emu.call("KVFtpGetCurDir").value.text; }

void Configure(HostEmulator& emu, const std::string& password, uint16_t port, const std::string& user = kUser) {
  CallResult r = emu.call("KVSetFtpParas", {Value::Text("127.0.0.1"), Value::Text(user), Value::Text(password),
                                            Value::Int(port)});
  EXPECT_FALSE(r.sent());
  EXPECT_EQ(r.error, 0);
}

std::string AllBytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i ^ (i >> 8));
  return bytes;
}

TEST(NetFtp, SessionLifeCycle) {
  FtpServer server(kUser, kPassword);
  ASSERT_TRUE(server.running());
  HostEmulator emu;
  TempDir local;
  Configure(emu, kPassword, server.port());
  EXPECT_FALSE(Connected(emu)) << "configuring does not connect";

  // The first operation connects; the connection stays open.
  EXPECT_TRUE(Op(emu, "KVFtpSetCurDir", {"/"}));
  EXPECT_TRUE(Connected(emu));
  EXPECT_EQ(CurrentDir(emu), "/");
  EXPECT_TRUE(Op(emu, "KVFtpCreateDir", {"sub"}));
  EXPECT_TRUE(FileExists(server.file("sub")));
  EXPECT_TRUE(Op(emu, "KVFtpSetCurDir", {"sub"}));
  EXPECT_EQ(CurrentDir(emu), "/sub");

  // Transfers are binary and byte-exact; the remote name comes first.
  const std::string bytes = AllBytes(70000);
  WriteFile(local.file("up.bin"), bytes);
  EXPECT_TRUE(Op(emu, "KVFtpPutFile", {"remote.bin", local.file("up.bin")}));
  EXPECT_TRUE(ReadFile(server.file("sub\\remote.bin")) == bytes);
  WriteFile(local.file("down.bin"), std::string(100000, 'x'));  // replaced
  EXPECT_TRUE(Op(emu, "KVFtpGetFile", {"remote.bin", local.file("down.bin")}));
  EXPECT_TRUE(ReadFile(local.file("down.bin")) == bytes);

  EXPECT_TRUE(Op(emu, "KVFtpRenameFile", {"remote.bin", "renamed.bin"}));
  EXPECT_FALSE(FileExists(server.file("sub\\remote.bin")));
  EXPECT_TRUE(ReadFile(server.file("sub\\renamed.bin")) == bytes);
  EXPECT_TRUE(Op(emu, "KVFtpDeleteFile", {"renamed.bin"}));
  EXPECT_FALSE(FileExists(server.file("sub\\renamed.bin")));
  EXPECT_TRUE(Op(emu, "KVFtpSetCurDir", {"/"}));
  EXPECT_TRUE(Op(emu, "KVFtpRemoveDir", {"sub"}));
  EXPECT_FALSE(FileExists(server.file("sub")));

  // Closing keeps the settings: the next operation connects again.
  EXPECT_FALSE(emu.call("KVCloseConnect").sent());
  EXPECT_FALSE(Connected(emu));
  EXPECT_EQ(CurrentDir(emu), "/");
  EXPECT_TRUE(Connected(emu));
}

TEST(NetFtp, FailedOperationsAnswerFalseAndKeepTheSession) {
  FtpServer server(kUser, kPassword);
  ASSERT_TRUE(server.running());
  HostEmulator emu;
  TempDir local;
  Configure(emu, kPassword, server.port());
  // An empty name is refused before connecting.
  EXPECT_FALSE(Op(emu, "KVFtpCreateDir", {""}));
  EXPECT_FALSE(Op(emu, "KVFtpGetFile", {"x", ""}));
  EXPECT_FALSE(Connected(emu));

  EXPECT_FALSE(Op(emu, "KVFtpRemoveDir", {"missing"}));
  EXPECT_TRUE(Connected(emu));
  EXPECT_FALSE(Op(emu, "KVFtpDeleteFile", {"missing.txt"}));
  EXPECT_FALSE(Op(emu, "KVFtpRenameFile", {"missing.txt", "other.txt"}));
  EXPECT_FALSE(Op(emu, "KVFtpSetCurDir", {"missing"}));
  EXPECT_FALSE(Op(emu, "KVFtpGetFile", {"missing.txt", local.file("got.txt")}));
  EXPECT_FALSE(Op(emu, "KVFtpPutFile", {"new.txt", local.file("not-there.txt")}));
  EXPECT_FALSE(FileExists(server.file("new.txt")));
  EXPECT_TRUE(Op(emu, "KVFtpCreateDir", {"after"}));
}

TEST(NetFtp, ASecondServerIsUsedOnlyAfterClosing) {
  FtpServer first(kUser, kPassword);
  FtpServer second(kUser, kPassword);
  ASSERT_TRUE(first.running() && second.running());
  HostEmulator emu;
  Configure(emu, kPassword, first.port());
  EXPECT_TRUE(Op(emu, "KVFtpCreateDir", {"one"}));
  Configure(emu, kPassword, second.port());
  EXPECT_TRUE(Connected(emu));
  EXPECT_TRUE(Op(emu, "KVFtpCreateDir", {"two"}));
  EXPECT_TRUE(FileExists(first.file("two")));
  EXPECT_FALSE(FileExists(second.file("two")));
  emu.call("KVCloseConnect");
  EXPECT_TRUE(Op(emu, "KVFtpCreateDir", {"three"}));
  EXPECT_TRUE(FileExists(second.file("three")));
  EXPECT_FALSE(FileExists(first.file("three")));
}

TEST(NetFtp, WrongPasswordOrNoServerFails) {
  FtpServer server(kUser, kPassword);
  ASSERT_TRUE(server.running());
  HostEmulator emu;
  Configure(emu, "wrong", server.port());
  EXPECT_FALSE(Op(emu, "KVFtpSetCurDir", {"/"}));
  EXPECT_FALSE(Connected(emu));
  EXPECT_EQ(CurrentDir(emu), "");

  uint16_t closedPort;
  {
    Listener nobody;
    closedPort = nobody.port();
  }
  Configure(emu, kPassword, closedPort);
  EXPECT_EQ(CurrentDir(emu), "");
  EXPECT_FALSE(Op(emu, "KVFtpCreateDir", {"x"}));
  EXPECT_FALSE(Connected(emu));

  // The right password afterwards connects.
  Configure(emu, kPassword, server.port());
  EXPECT_EQ(CurrentDir(emu), "/");
}

TEST(NetFtp, AStoppedServerMakesOperationsFailUntilClosed) {
  FtpServer server(kUser, kPassword);
  ASSERT_TRUE(server.running());
  HostEmulator emu;
  Configure(emu, kPassword, server.port());
  ASSERT_TRUE(Op(emu, "KVFtpCreateDir", {"d"}));
  ASSERT_TRUE(server.stop());
  // The dropped connection is not noticed, but nothing succeeds or hangs.
  EXPECT_FALSE(Op(emu, "KVFtpCreateDir", {"e"}));
  EXPECT_FALSE(Op(emu, "KVFtpSetCurDir", {"d"}));
  EXPECT_EQ(CurrentDir(emu), "");
  EXPECT_TRUE(Connected(emu));
  emu.call("KVCloseConnect");
  EXPECT_FALSE(Connected(emu));
  EXPECT_FALSE(Op(emu, "KVFtpSetCurDir", {"/"}));
}

TEST(NetFtp, CredentialsUpTo128CharactersAreTakenLongerOnesRefused) {
  const std::string user(128, 'u');
  const std::string password(128, 'p');
  FtpServer server(user, password);
  ASSERT_TRUE(server.running());
  HostEmulator emu;
  Configure(emu, password, server.port(), user);
  EXPECT_EQ(CurrentDir(emu), "/");
  emu.call("KVCloseConnect");

  // One character more in any field: the settings are cleared, so nothing
  // connects, neither with a cut credential nor with the previous ones.
  for (int field = 0; field < 3; ++field) {
    Configure(emu, password, server.port(), user);
    std::string texts[3] = {"127.0.0.1", user, password};
    texts[field] += "x";
    CallResult r = emu.call("KVSetFtpParas", {Value::Text(texts[0]), Value::Text(texts[1]), Value::Text(texts[2]),
                                              Value::Int(server.port())});
    EXPECT_FALSE(r.sent());
    EXPECT_EQ(r.error, 0);
    EXPECT_EQ(CurrentDir(emu), "") << field;
    EXPECT_FALSE(Connected(emu)) << field;
  }
}

// What the library passed to InternetOpenA and InternetConnectA.
struct ConnectRecord {
  std::string agent;
  DWORD access = 99;
  std::string server, user, password;
  int port = -1;
  DWORD service = 0, flags = 99;
};
ConnectRecord g_connect;
const void* g_realInternetOpen = nullptr;

HINTERNET WINAPI FakeInternetOpen(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags) {
  g_connect.agent = agent ? agent : "(null)";
  g_connect.access = access;
  using Fn = HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD);
  return reinterpret_cast<Fn>(const_cast<void*>(g_realInternetOpen))(agent, access, proxy, bypass, flags);
}

HINTERNET WINAPI FakeInternetConnect(HINTERNET, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                                     DWORD service, DWORD flags, DWORD_PTR) {
  g_connect.server = server;
  g_connect.port = port;
  g_connect.user = user;
  g_connect.password = password;
  g_connect.service = service;
  g_connect.flags = flags;
  SetLastError(ERROR_INTERNET_CANNOT_CONNECT);
  return nullptr;
}

TEST(NetFtp, ConnectionArgumentsAndThePort) {
  HostEmulator emu;
  ImportPatch open(emu.module(), "wininet.dll", "InternetOpenA", FakeOf(&FakeInternetOpen));
  g_realInternetOpen = open.original();
  ImportPatch connect(emu.module(), "wininet.dll", "InternetConnectA", FakeOf(&FakeInternetConnect));
  ASSERT_TRUE(open.active() && connect.active());

  struct Case {
    std::vector<Arg> args;
    int port;
  };
  auto base = [](std::vector<Arg> extra) {
    std::vector<Arg> args = {Value::Text("ftp.example"), Value::Text("me"), Value::Text("pw")};
    args.insert(args.end(), extra.begin(), extra.end());
    return args;
  };
  const Case cases[] = {
      {base({}), 21},
      {base({Value::Int(0)}), 21},
      {base({Value::Int(2121)}), 2121},
      {base({Value::Int(0x10000 + 990)}), 990},  // the low 16 bits
      {base({Value::Int(0x10000)}), 21},
  };
  for (const Case& c : cases) {
    g_connect = {};
    emu.call("KVSetFtpParas", c.args);
    EXPECT_FALSE(Op(emu, "KVFtpCreateDir", {"d"}));
    EXPECT_EQ(g_connect.port, c.port);
    EXPECT_EQ(g_connect.agent, "FTP by larch.dll");
    EXPECT_EQ(g_connect.access, static_cast<DWORD>(INTERNET_OPEN_TYPE_DIRECT));
    EXPECT_EQ(g_connect.server, "ftp.example");
    EXPECT_EQ(g_connect.user, "me");
    EXPECT_EQ(g_connect.password, "pw");
    EXPECT_EQ(g_connect.service, static_cast<DWORD>(INTERNET_SERVICE_FTP));
    EXPECT_EQ(g_connect.flags, 0u) << "active mode";
    EXPECT_FALSE(Connected(emu));
  }
}

}  // namespace
}  // namespace larch::test
