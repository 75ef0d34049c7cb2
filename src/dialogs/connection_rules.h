// What the connection dialogs keep between calls, and the checks their OK
// buttons make before a dialog may close. No window code here: the dialog
// procedures read their boxes into a form and hand it to these rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace larch {

// Bytes of a GBK text that fit in `maxBytes` without splitting a two-byte
// character (a byte of 0x81 or more leads one).
size_t FittingBytes(std::string_view text, size_t maxBytes);

// A NUL-terminated text of at most N-1 bytes; longer input is cut at a
// character boundary.
template <size_t N>
class FixedText {
 public:
  static constexpr size_t kCapacity = N;
  void assign(std::string_view text) {
    size_t n = FittingBytes(text, N - 1);
    text.copy(bytes_, n);
    bytes_[n] = '\0';
  }
  const char* c_str() const { return bytes_; }
  bool empty() const { return bytes_[0] == '\0'; }

 private:
  char bytes_[N] = {};
};

// Box limits, in characters.
constexpr int kNameLimit = 32;
constexpr int kFileNameLimit = 259;
constexpr int kTimeOutDigits = 2;
constexpr uint32_t kMinTimeOut = 10;
constexpr uint32_t kMaxTimeOut = 60;

struct LoginStore {
  FixedText<33> user;
  FixedText<33> password;
};

struct SqlStore {
  FixedText<33> server;
  FixedText<33> database;
  FixedText<33> user;
  FixedText<33> password;
  uint32_t timeOut = 0;
  int32_t trusted = 0;
};

struct AccessStore {
  FixedText<260> file;
  FixedText<33> user;
  FixedText<33> password;
};

// The process-wide storage, empty at load; only an OK writes it.
struct ConnectionStore {
  LoginStore login;
  SqlStore sql;
  AccessStore access;
};
ConnectionStore& Connections();

// The outcome of an OK: close the dialog, or warn and stay open.
enum class OkVerdict { Accept, TimeOutInvalid, UserNameEmpty, FileNameEmpty, FileMissing };

// The warning shown for a refused OK; nullptr for Accept.
const char* WarningText(OkVerdict verdict);

struct LoginForm {
  std::string user;
  std::string password;
};
// Stores both texts, then requires a user name.
OkVerdict AcceptLogin(const LoginForm& form, LoginStore& store);

struct SqlForm {
  uint32_t timeOut = 0;
  std::string server;
  std::string database;
  std::string user;
  std::string password;
  bool trusted = false;
};
// Stores the time-out first and refuses one outside 10..60 before touching
// anything else; then stores the rest and requires a user name unless the
// login is trusted.
OkVerdict AcceptSql(const SqlForm& form, SqlStore& store);

struct AccessForm {
  std::string file;
  std::string user;
  std::string password;
};
// Stores all three texts, then requires a file name naming something that
// exists, and a user name.
OkVerdict AcceptAccess(const AccessForm& form, AccessStore& store, bool (*exists)(const char* path));

}  // namespace larch
