// KVHttpDownLoad against a loopback HTTP server of the test's own, and
// KVTestInetConn against the platform's answer.
#include <gtest/gtest.h>

#include "net_loopback.h"

#include <wininet.h>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {
namespace {

using host::FakeOf;
using host::ImportPatch;

std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 31 + i / 256);
  return bytes;
}

bool Download(HostEmulator& emu, const std::string& url, const std::string& file) {
  CallResult r = emu.call("KVHttpDownLoad", {Value::Text(url), Value::Text(file)});
  EXPECT_EQ(r.rawType, 'L');
  return r.value.logical;
}

TEST(NetHttp, BodiesAreSavedByteExactWhateverTheStatus) {
  struct Case {
    int status;
    size_t size;
  };
  // Bodies ending exactly on the 1,024-byte read size, one byte past it,
  // empty, and the body of an error page.
  const Case cases[] = {{200, 1024}, {200, 2048}, {200, 1025}, {200, 0}, {200, 70000}, {404, 300}};
  HttpServer server([](const std::string& request) {
    size_t size = std::stoul(request.substr(request.find("/s") + 2));
    int status = request.find("/s" + std::to_string(size) + "-404") != std::string::npos ? 404 : 200;
    return HttpServer::Response(status, Pattern(size));
  });
  HostEmulator emu;
  TempDir dir;
  for (const Case& c : cases) {
    std::string name = "/s" + std::to_string(c.size) + (c.status == 404 ? "-404" : "");
    std::string file = dir.file("body.bin");
    WriteFile(file, std::string(100000, 'x'));  // replaced, not appended to
    EXPECT_TRUE(Download(emu, server.url(name), file)) << name;
    std::string got = ReadFile(file);
    EXPECT_EQ(got.size(), c.size) << name;
    EXPECT_TRUE(got == Pattern(c.size)) << name;
  }
}

TEST(NetHttp, TheRequestCarriesTheAgentAndTheAcceptHeader) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  HostEmulator emu;
  TempDir dir;
  ASSERT_TRUE(Download(emu, server.url("/page"), dir.file("page")));
  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(request.rfind("GET /page HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_NE(request.find("\r\nUser-Agent: http down\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
}

TEST(NetHttp, EmptyParametersTouchNothing) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  HostEmulator emu;
  TempDir dir;
  EXPECT_FALSE(Download(emu, "", dir.file("never")));
  EXPECT_FALSE(FileExists(dir.file("never")));
  EXPECT_FALSE(Download(emu, server.url("/x"), ""));
  EXPECT_TRUE(server.requests().empty());
}

TEST(NetHttp, ALocalFileThatCannotBeCreatedFailsWithoutAFile) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "body"); });
  HostEmulator emu;
  TempDir dir;
  std::string file = dir.file("missing-folder\\body.bin");
  EXPECT_FALSE(Download(emu, server.url("/x"), file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(FileExists(dir.file("missing-folder")));
}

TEST(NetHttp, AConnectionCutMidBodyFailsAndKeepsWhatArrived) {
  const std::string sent = Pattern(3000);
  HttpServer server([&sent](const std::string&) {
    std::string whole = HttpServer::Response(200, Pattern(8192));
    return whole.substr(0, whole.size() - 8192 + sent.size());
  });
  HostEmulator emu;
  TempDir dir;
  std::string file = dir.file("cut.bin");
  EXPECT_FALSE(Download(emu, server.url("/cut"), file));
  std::string got = ReadFile(file);
  EXPECT_TRUE(got == sent) << got.size() << " bytes kept";
}

TEST(NetHttp, AServerThatIsNotThereFails) {
  uint16_t port;
  {
    Listener closed;
    port = closed.port();
  }
  HostEmulator emu;
  TempDir dir;
  EXPECT_FALSE(Download(emu, "http://127.0.0.1:" + std::to_string(port) + "/", dir.file("none")));
  EXPECT_FALSE(FileExists(dir.file("none")));
}

TEST(NetHttp, ConnectedStateIsThePlatformsAnswer) {
  using GetStateFn = BOOL(WINAPI*)(DWORD*, DWORD);
  auto getState = reinterpret_cast<GetStateFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("wininet.dll"), "InternetGetConnectedState")));
  ASSERT_NE(getState, nullptr);
  DWORD flags = 0;
  int32_t expected = getState(&flags, 0) ? static_cast<int32_t>(flags) : 0;
  HostEmulator emu;
  CallResult r = emu.call("KVTestInetConn");
  EXPECT_EQ(r.rawType, 'I');
  EXPECT_EQ(r.value.integer, expected);
}

struct ConnectedState {
  BOOL answer = FALSE;
  DWORD filled = 0;
  DWORD presetFlags = 99, reserved = 99;
} g_state;

BOOL WINAPI FakeGetConnectedState(DWORD* flags, DWORD reserved) {
  g_state.presetFlags = *flags;
  g_state.reserved = reserved;
  *flags = g_state.filled;
  return g_state.answer;
}

TEST(NetHttp, ConnectionFlagsCountOnlyWhenConnected) {
  HostEmulator emu;
  ImportPatch patch(emu.module(), "wininet.dll", "InternetGetConnectedState", FakeOf(&FakeGetConnectedState));
  ASSERT_TRUE(patch.active());
  const ConnectedState cases[] = {
      {TRUE, INTERNET_CONNECTION_LAN},
      {TRUE, INTERNET_CONNECTION_MODEM | INTERNET_RAS_INSTALLED},
      {FALSE, INTERNET_CONNECTION_OFFLINE},  // flags of a missing connection are not passed on
  };
  for (const ConnectedState& c : cases) {
    g_state = c;
    CallResult r = emu.call("KVTestInetConn");
    EXPECT_EQ(r.value.integer, c.answer ? static_cast<int32_t>(c.filled) : 0) << c.filled;
    EXPECT_EQ(r.value.width, 10);
    EXPECT_EQ(g_state.presetFlags, 0u);
    EXPECT_EQ(g_state.reserved, 0u);
  }
}

}  // namespace
}  // namespace larch::test
