// What the connection dialogs keep between calls, and the checks their OK
// buttons make before a dialog may close. No window code here: the dialog
// procedures read their boxes into a form and hand it to these rules.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"
#include "bridge/path_length.h"

namespace larch {

// Bytes taken by the first `maxChars` characters of the text (a two-byte
// character counts as one).
size_t BytesOfFirstChars(const LeadBytes& leads, std::string_view text, size_t maxChars);

// What a box limited to Chars characters holds, kept whole: the box counts
// a Chinese character as one, so the storage has room for Chars two-byte
// characters and the NUL. A longer text (one set by the program rather
// than typed) is cut after Chars characters, never inside one.
template <size_t Chars>
class BoxText {
 public:
  static constexpr size_t kChars = Chars;
  static constexpr size_t kCapacity = 2 * Chars + 1;
  void assign(const LeadBytes& leads, std::string_view text) {
    size_t n = BytesOfFirstChars(leads, text, Chars);
    text.copy(bytes_, n);
    bytes_[n] = '\0';
  }
  const char* c_str() const { return bytes_; }
  bool empty() const { return bytes_[0] == '\0'; }

 private:
  char bytes_[kCapacity] = {};
};

// Box limits, in characters.
constexpr size_t kNameLimit = 32;
constexpr size_t kFileNameLimit = kMaxPathLength;
constexpr int kTimeOutDigits = 2;
constexpr uint32_t kMinTimeOut = 10;
constexpr uint32_t kMaxTimeOut = 60;

using NameText = BoxText<kNameLimit>;

struct LoginStore {
  NameText user;
  NameText password;
};

struct SqlStore {
  NameText server;
  NameText database;
  NameText user;
  NameText password;
  uint32_t timeOut = 0;
  int32_t trusted = 0;
};

struct AccessStore {
  BoxText<kFileNameLimit> file;
  NameText user;
  NameText password;
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
OkVerdict AcceptLogin(const LoginForm& form, LoginStore& store, const LeadBytes& leads);

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
OkVerdict AcceptSql(const SqlForm& form, SqlStore& store, const LeadBytes& leads);

struct AccessForm {
  std::string file;
  std::string user;
  std::string password;
};
// Stores all three texts, then requires a file name naming something that
// exists, and a user name. A name longer than the system's paths (or one
// the storage had to cut) cannot exist and is refused without asking.
OkVerdict AcceptAccess(const AccessForm& form, AccessStore& store, const LeadBytes& leads,
                       bool (*exists)(const char* path));

}  // namespace larch
