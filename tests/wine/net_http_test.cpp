// KVHttpDownLoad against a loopback HTTP server of the test's own, and
// KVTestInetConn against the platform's answer.
#include <gtest/gtest.h>

#include "net_loopback.h"

#include <wininet.h>

#include <cstdio>

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

bool Download(HostEmulator& emu, const std::string& url, const std::string& file, Caller caller = {}) {
  return CallLogical(emu, "KVHttpDownLoad", {Value::Text(url), Value::Text(file)}, caller);
}

// Each test has a library of its own and a fresh folder for the downloads.
// A test's server starts after the library is loaded and stops before it
// goes: the library holds no connection once a call has returned.
class NetHttp : public ::testing::Test {
 protected:
  HostEmulator emu;
  TempDir dir;
};

TEST_F(NetHttp, BodiesAreSavedByteExactWhateverTheStatus) {
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
  for (const Case& c : cases) {
    std::string name = "/s" + std::to_string(c.size) + (c.status == 404 ? "-404" : "");
    std::string file = dir.file("body.bin");
    WriteFile(file, std::string(100000, 'x'));  // replaced, not appended to
    EXPECT_TRUE(Download(emu, server.url(name), file)) << name;
    std::string got = ReadFile(file);
    EXPECT_EQ(got.size(), c.size) << name;
    EXPECT_TRUE(SameBytes(got, Pattern(c.size))) << name;
  }
}

TEST_F(NetHttp, TheRequestCarriesTheAgentAndTheAcceptHeader) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  ASSERT_TRUE(Download(emu, server.url("/page"), dir.file("page")));
  std::vector<std::string> requests = server.requests();
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests[0];
  EXPECT_EQ(request.rfind("GET /page HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_NE(request.find("\r\nUser-Agent: http down\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
}

TEST_F(NetHttp, EmptyParametersTouchNothing) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  EXPECT_FALSE(Download(emu, "", dir.file("never")));
  EXPECT_FALSE(FileExists(dir.file("never")));
  EXPECT_FALSE(Download(emu, server.url("/x"), ""));
  EXPECT_TRUE(server.requests().empty());
}

TEST_F(NetHttp, ALocalFileThatCannotBeCreatedFailsWithoutAFile) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "body"); });
  std::string file = dir.file("missing-folder\\body.bin");
  EXPECT_FALSE(Download(emu, server.url("/x"), file));
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(FileExists(dir.file("missing-folder")));
}

TEST_F(NetHttp, AChunkedBodyIsSavedWhole) {
  const std::string body = Pattern(5000);
  HttpServer server([&body](const std::string&) {
    std::string reply = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n";
    for (size_t at = 0; at < body.size(); at += 1500) {
      const std::string chunk = body.substr(at, 1500);
      char size[16];
      std::snprintf(size, sizeof size, "%x\r\n", static_cast<unsigned>(chunk.size()));
      reply += size + chunk + "\r\n";
    }
    return reply + "0\r\n\r\n";
  });
  EXPECT_TRUE(Download(emu, server.url("/chunked"), dir.file("chunked.bin")));
  EXPECT_TRUE(SameBytes(ReadFile(dir.file("chunked.bin")), body));
}

TEST_F(NetHttp, AConnectionCutMidBodyFailsAndKeepsWhatArrived) {
  const std::string sent = Pattern(3000);
  HttpServer server([&sent](const std::string&) {
    std::string whole = HttpServer::Response(200, Pattern(8192));
    return whole.substr(0, whole.size() - 8192 + sent.size());
  });
  std::string file = dir.file("cut.bin");
  EXPECT_FALSE(Download(emu, server.url("/cut"), file));
  std::string got = ReadFile(file);
  EXPECT_TRUE(SameBytes(got, sent));
}

TEST_F(NetHttp, UrlsThatWouldBreakTheRequestAreRefusedUnsent) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  const std::string base = server.url("/");
  const std::string refused[] = {
      base + "a b",
      base + "a\r\nX-Injected: 1",
      base + "a\nX-Injected: 1",
      base + "a\r",
      base + "a\tb",
      base + std::string("a\0b", 3),
      base + std::string(2084 - base.size(), 'x'),
      base + std::string(70000, 'x'),
  };
  for (const std::string& url : refused) {
    EXPECT_FALSE(Download(emu, url, dir.file("page"))) << url.size();
    EXPECT_FALSE(FileExists(dir.file("page"))) << url.size();
  }
  EXPECT_TRUE(server.requests().empty());

  // The longest URL taken: 2,083 bytes.
  const std::string longest = base + std::string(2083 - base.size(), 'x');
  EXPECT_TRUE(Download(emu, longest, dir.file("page")));
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0].rfind("GET /" + std::string(2083 - base.size(), 'x') + " HTTP/1.1\r\n", 0), 0u);
}

TEST_F(NetHttp, LocalPathsLongerThan259BytesAreRefusedBeforeTheRequest) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  for (size_t length : {259u, 260u, 275u, 70000u}) {
    SCOPED_TRACE(length);
    std::string path = dir.path() + "\\";
    path += std::string(length - path.size(), 'l');
    EXPECT_EQ(Download(emu, server.url("/x"), path), length <= 259) << length;
    if (length <= 259) {
      EXPECT_EQ(ReadFile(path), "ok");
    }
  }
  EXPECT_EQ(server.requests().size(), 1u);
}

// A request takes its connection's time-outs when it is opened (a session's
// are not handed down everywhere, and ones set on a request already sent
// come too late), so the connection has them before the request exists.
TEST_F(NetHttp, TheSessionAndTheConnectionHaveTimeoutsBeforeTheRequest) {
  HttpServer server([](const std::string&) { return HttpServer::Response(200, "ok"); });
  InternetOptionRecorder recorder(emu.module());
  ASSERT_TRUE(recorder.active());
  EXPECT_TRUE(Download(emu, server.url("/x"), dir.file("x")));
  const InternetOptionLog& log = recorder.log();
  ASSERT_NE(log.session, nullptr);
  ASSERT_NE(log.connection, nullptr);
  ASSERT_TRUE(log.requestOpened);
  EXPECT_EQ(log.set, InternetOptionLog::TimeoutsOn({log.session, log.connection}));
  EXPECT_EQ(log.setBeforeConnect, 3u) << "the session's are set before connecting";
  EXPECT_EQ(log.setBeforeRequest, 6u) << "the connection's are set before the request is opened";
}

TEST_F(NetHttp, AServerThatStallsMidBodyFailsAfterTheReceiveTimeout) {
  // The server sends the headers and part of the body, then waits 45 s
  // before the rest: longer than the 30 s receive time-out, so the
  // download gives up (without it, it would wait and succeed).
  const std::string body = Pattern(4096);
  HttpServer server([&body](const std::string&) { return HttpServer::Response(200, body); },
                    /*stallAfter=*/HttpServer::Response(200, body).size() - 2048, /*stallMs=*/45000);
  EXPECT_FALSE(Download(emu, server.url("/stall"), dir.file("stall.bin")));
  EXPECT_TRUE(SameBytes(ReadFile(dir.file("stall.bin")), body.substr(0, 2048)));
}

TEST_F(NetHttp, AServerThatIsNotThereFails) {
  uint16_t port;
  {
    Listener closed;
    port = closed.port();
  }
  EXPECT_FALSE(Download(emu, "http://127.0.0.1:" + std::to_string(port) + "/", dir.file("none")));
  EXPECT_FALSE(FileExists(dir.file("none")));
}

TEST_F(NetHttp, ConnectedStateIsThePlatformsAnswer) {
  using GetStateFn = BOOL(WINAPI*)(DWORD*, DWORD);
  auto getState = reinterpret_cast<GetStateFn>(
      reinterpret_cast<void*>(GetProcAddress(LoadLibraryA("wininet.dll"), "InternetGetConnectedState")));
  ASSERT_NE(getState, nullptr);
  DWORD flags = 0;
  int32_t expected = getState(&flags, 0) ? static_cast<int32_t>(flags) : 0;
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

TEST_F(NetHttp, ConnectionFlagsCountOnlyWhenConnected) {
  ImportPatch patch(emu.module(), "wininet.dll", "InternetGetConnectedState", FakeOf(&FakeGetConnectedState));
  ASSERT_TRUE(patch.active());
  const ConnectedState cases[] = {
      {TRUE, INTERNET_CONNECTION_LAN},
      {TRUE, INTERNET_CONNECTION_MODEM | INTERNET_RAS_INSTALLED},
      {FALSE, INTERNET_CONNECTION_OFFLINE},  // flags of a missing connection are not passed on
  };
  for (const ConnectedState& c : cases) {
    SCOPED_TRACE(::testing::Message() << "connected " << c.answer << ", flags " << c.filled);
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
