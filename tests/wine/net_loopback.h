// Loopback servers for the network tests: an HTTP server in a thread of
// the test process (its replies are chosen per test), and an FTP server
// (tests/net/ftp_server.py, a Linux program) started and stopped by the
// test. Everything listens on 127.0.0.1 on ports picked at run time.
// The test program does not link Windows Sockets, so it loads it here.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <wininet.h>

#include <functional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "import_patch.h"
#include "test_support.h"

namespace larch::test {

// The few Windows Sockets functions the servers use.
struct Sockets {
  decltype(&::WSAStartup) startup;
  decltype(&::socket) open;
  decltype(&::bind) bindTo;
  decltype(&::listen) listenOn;
  decltype(&::accept) acceptFrom;
  decltype(&::select) wait;
  decltype(&::recv) receive;
  decltype(&::send) sendTo;
  decltype(&::closesocket) close;
  decltype(&::getsockname) name;
  decltype(&::WSACleanup) cleanup;

  static const Sockets& Get() {
    static Sockets s = [] {
      Sockets t{};
      HMODULE m = LoadLibraryA("ws2_32.dll");
      auto find = [m](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(reinterpret_cast<void*>(GetProcAddress(m, name)));
      };
      find(t.startup, "WSAStartup");
      find(t.open, "socket");
      find(t.bindTo, "bind");
      find(t.listenOn, "listen");
      find(t.acceptFrom, "accept");
      find(t.wait, "select");
      find(t.receive, "recv");
      find(t.sendTo, "send");
      find(t.close, "closesocket");
      find(t.name, "getsockname");
      find(t.cleanup, "WSACleanup");
      return t;
    }();
    return s;
  }
};

// A listening socket on 127.0.0.1 and a free port.
class Listener {
 public:
  Listener() : s_(Sockets::Get()) {
    // Each listener holds its own start-up of Windows Sockets: the last
    // clean-up in the process closes every socket.
    WSADATA data;
    s_.startup(MAKEWORD(2, 2), &data);
    socket_ = s_.open(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = 0x0100007F;  // 127.0.0.1 in network order
    a.sin_port = 0;
    s_.bindTo(socket_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    s_.listenOn(socket_, 8);
    int size = sizeof a;
    s_.name(socket_, reinterpret_cast<sockaddr*>(&a), &size);
    port_ = static_cast<uint16_t>((a.sin_port & 0xFF) << 8 | a.sin_port >> 8);
  }
  ~Listener() {
    close();
    s_.cleanup();
  }
  Listener(const Listener&) = delete;
  Listener& operator=(const Listener&) = delete;

  uint16_t port() const { return port_; }
  void close() {
    if (socket_ != INVALID_SOCKET) s_.close(socket_);
    socket_ = INVALID_SOCKET;
  }
  // The next connection, or INVALID_SOCKET when none comes within the
  // given seconds (a bound against hanging, not a measurement).
  SOCKET accept(long seconds) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_, &set);
    timeval limit{seconds, 0};
    if (s_.wait(0, &set, nullptr, nullptr, &limit) != 1) return INVALID_SOCKET;
    return s_.acceptFrom(socket_, nullptr, nullptr);
  }

 private:
  const Sockets& s_;
  SOCKET socket_ = INVALID_SOCKET;
  uint16_t port_ = 0;
};

// Reads up to and including the delimiter (or until the peer closes).
inline std::string ReadUntil(SOCKET s, const std::string& delimiter) {
  std::string text;
  char c;
  while (text.size() < delimiter.size() || text.compare(text.size() - delimiter.size(), delimiter.size(), delimiter)) {
    if (Sockets::Get().receive(s, &c, 1, 0) != 1) break;
    text += c;
  }
  return text;
}

inline void SendAll(SOCKET s, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    int n = Sockets::Get().sendTo(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
}

// An HTTP server answering each request with the bytes the test chooses,
// then closing the connection. A reply shorter than its Content-Length
// is a connection cut mid-body.
class HttpServer {
 public:
  using Reply = std::function<std::string(const std::string& request)>;

  // With stallAfter, each reply is sent up to that many bytes, then the
  // server waits stallMs (or until it is destroyed) before the rest.
  explicit HttpServer(Reply reply, size_t stallAfter = std::string::npos, DWORD stallMs = 0)
      : reply_(std::move(reply)), stallAfter_(stallAfter), stallMs_(stallMs) {
    InitializeCriticalSection(&lock_);
    stop_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, &HttpServer::Run, this, 0, nullptr));
  }
  ~HttpServer() {
    SetEvent(stop_.get());
    listener_.close();
    WaitForSingleObject(thread_.get(), INFINITE);
    DeleteCriticalSection(&lock_);
  }

  std::string url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(listener_.port()) + path;
  }
  std::vector<std::string> requests() {
    EnterCriticalSection(&lock_);
    std::vector<std::string> copy = requests_;
    LeaveCriticalSection(&lock_);
    return copy;
  }

  // A whole response with status, Content-Length and the body.
  static std::string Response(int status, const std::string& body) {
    return "HTTP/1.1 " + std::to_string(status) +
           " X\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* server = static_cast<HttpServer*>(self);
    for (;;) {
      SOCKET client = server->listener_.accept(120);
      if (client == INVALID_SOCKET) return 0;
      std::string request = ReadUntil(client, "\r\n\r\n");
      EnterCriticalSection(&server->lock_);
      server->requests_.push_back(request);
      LeaveCriticalSection(&server->lock_);
      std::string reply = server->reply_(request);
      if (server->stallAfter_ < reply.size()) {
        SendAll(client, reply.substr(0, server->stallAfter_));
        WaitForSingleObject(server->stop_.get(), server->stallMs_);
        reply.erase(0, server->stallAfter_);
      }
      SendAll(client, reply);
      Sockets::Get().close(client);
    }
  }

  Reply reply_;
  size_t stallAfter_;
  DWORD stallMs_;
  UniqueHandle stop_;
  Listener listener_;
  CRITICAL_SECTION lock_;
  std::vector<std::string> requests_;
  UniqueHandle thread_;
};

// The FTP server of tests/net/ftp_server.py, serving a fresh folder to one
// user. It ends when this object closes its control connection, and also
// when the test process dies.
class FtpServer {
 public:
  FtpServer(const std::string& user, const std::string& password) {
    std::string command = "/usr/bin/python3 " LARCH_SOURCE_DIR "/tests/net/ftp_server.py " +
                          std::to_string(control_.port()) + " " + user + " " + password;
    ProcessOptions options;
    options.unixProgram = true;
    StartProcess(command, options);
    channel_ = control_.accept(60);
    std::string line = channel_ == INVALID_SOCKET ? "" : ReadUntil(channel_, "\n");
    size_t blank = line.find(' ');
    if (blank == std::string::npos) return;
    port_ = static_cast<uint16_t>(std::stoi(line.substr(0, blank)));
    std::string root = line.substr(blank + 1, line.size() - blank - 2);
    root_ = "Z:" + root;
    for (char& c : root_) c = c == '/' ? '\\' : c;
  }
  ~FtpServer() {
    if (channel_ != INVALID_SOCKET) Sockets::Get().close(channel_);
  }
  FtpServer(const FtpServer&) = delete;
  FtpServer& operator=(const FtpServer&) = delete;

  bool running() const { return port_ != 0; }
  uint16_t port() const { return port_; }
  // The served folder, as a Windows path.
  const std::string& root() const { return root_; }
  std::string file(const std::string& name) const { return root_ + "\\" + name; }

  // Stops serving (every open session is closed) and waits until done.
  bool stop() {
    SendAll(channel_, "stop\n");
    return ReadUntil(channel_, "\n") == "stopped\n";
  }

  // Every command line the server received so far, as it arrived.
  std::vector<std::string> commands() {
    SendAll(channel_, "log\n");
    std::vector<std::string> lines;
    for (;;) {
      std::string line = ReadUntil(channel_, "\n");
      if (line.empty() || line == "end\n") return lines;
      std::string command;
      for (size_t i = 0; i + 1 < line.size(); ++i) {
        if (line[i] == '\\' && i + 2 < line.size()) {
          char next = line[++i];
          command += next == 'r' ? '\r' : next == 'n' ? '\n' : next;
        } else {
          command += line[i];
        }
      }
      lines.push_back(command);
    }
  }

 private:
  Listener control_;
  SOCKET channel_ = INVALID_SOCKET;
  uint16_t port_ = 0;
  std::string root_;
};

// The options the library sets on its internet handles, recorded by
// wrappers at its import table that pass every call through: which option
// and value went on which handle, and how many were set before the
// connection and before the request were opened.
struct InternetOptionLog {
  using Setting = std::pair<HINTERNET, std::pair<DWORD, DWORD>>;  // handle, option, value
  std::vector<Setting> set;
  HINTERNET session = nullptr, connection = nullptr;
  size_t setBeforeConnect = 0, setBeforeRequest = 0;
  bool requestOpened = false;

  // Connect 60 s, send and receive 30 s on each handle, in that order.
  static std::vector<Setting> TimeoutsOn(std::initializer_list<HINTERNET> handles) {
    std::vector<Setting> expected;
    for (HINTERNET handle : handles) {
      expected.push_back({handle, {INTERNET_OPTION_CONNECT_TIMEOUT, 60000}});
      expected.push_back({handle, {INTERNET_OPTION_SEND_TIMEOUT, 30000}});
      expected.push_back({handle, {INTERNET_OPTION_RECEIVE_TIMEOUT, 30000}});
    }
    return expected;
  }
};

// Installs the recording wrappers on a loaded library for the life of the
// object; the log is read through log().
class InternetOptionRecorder {
 public:
  explicit InternetOptionRecorder(HMODULE module)
      : option_(module, "wininet.dll", "InternetSetOptionA", host::FakeOf(&SetOption)),
        open_(module, "wininet.dll", "InternetOpenA", host::FakeOf(&Open)),
        connect_(module, "wininet.dll", "InternetConnectA", host::FakeOf(&Connect)),
        request_(module, "wininet.dll", "HttpOpenRequestA", host::FakeOf(&OpenRequest)) {
    Log() = {};
    Real() = {option_.original(), open_.original(), connect_.original(), request_.original()};
  }
  bool active() const { return option_.active() && open_.active() && connect_.active() && request_.active(); }
  const InternetOptionLog& log() const { return Log(); }

 private:
  struct Originals {
    const void* setOption = nullptr;
    const void* open = nullptr;
    const void* connect = nullptr;
    const void* openRequest = nullptr;
  };
  static InternetOptionLog& Log() {
    static InternetOptionLog log;
    return log;
  }
  static Originals& Real() {
    static Originals real;
    return real;
  }
  template <typename Fn>
  static Fn As(const void* function) {
    return reinterpret_cast<Fn>(const_cast<void*>(function));
  }

  static BOOL WINAPI SetOption(HINTERNET handle, DWORD option, void* buffer, DWORD length) {
    Log().set.push_back({handle, {option, length == sizeof(DWORD) ? *static_cast<DWORD*>(buffer) : 0}});
    return As<BOOL(WINAPI*)(HINTERNET, DWORD, void*, DWORD)>(Real().setOption)(handle, option, buffer, length);
  }
  static HINTERNET WINAPI Open(LPCSTR agent, DWORD access, LPCSTR proxy, LPCSTR bypass, DWORD flags) {
    Log().session =
        As<HINTERNET(WINAPI*)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD)>(Real().open)(agent, access, proxy, bypass, flags);
    return Log().session;
  }
  static HINTERNET WINAPI Connect(HINTERNET session, LPCSTR server, INTERNET_PORT port, LPCSTR user, LPCSTR password,
                                  DWORD service, DWORD flags, DWORD_PTR context) {
    Log().setBeforeConnect = Log().set.size();
    using Fn = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, INTERNET_PORT, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR);
    Log().connection = As<Fn>(Real().connect)(session, server, port, user, password, service, flags, context);
    return Log().connection;
  }
  static HINTERNET WINAPI OpenRequest(HINTERNET connection, LPCSTR verb, LPCSTR object, LPCSTR version, LPCSTR referrer,
                                      LPCSTR* accept, DWORD flags, DWORD_PTR context) {
    Log().setBeforeRequest = Log().set.size();
    Log().requestOpened = true;
    using Fn = HINTERNET(WINAPI*)(HINTERNET, LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR*, DWORD, DWORD_PTR);
    return As<Fn>(Real().openRequest)(connection, verb, object, version, referrer, accept, flags, context);
  }

  host::ImportPatch option_, open_, connect_, request_;
};

}  // namespace larch::test
