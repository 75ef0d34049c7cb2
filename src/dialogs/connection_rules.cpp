#include "dialogs/connection_rules.h"

namespace larch {

size_t FittingBytes(std::string_view text, size_t maxBytes) {
  size_t n = 0;
  while (n < text.size()) {
    size_t width = static_cast<unsigned char>(text[n]) >= 0x81 && n + 1 < text.size() ? 2 : 1;
    if (n + width > maxBytes) break;
    n += width;
  }
  return n;
}

ConnectionStore& Connections() {
  static ConnectionStore store;
  return store;
}

const char* WarningText(OkVerdict verdict) {
  switch (verdict) {
    case OkVerdict::TimeOutInvalid: return "Time out is invalid.";
    case OkVerdict::UserNameEmpty: return "UserName can not empty.";
    case OkVerdict::FileNameEmpty: return "filename can not empty.";
    case OkVerdict::FileMissing: return "file not exist.";
    case OkVerdict::Accept: break;
  }
  return nullptr;
}

OkVerdict AcceptLogin(const LoginForm& form, LoginStore& store) {
  store.user.assign(form.user);
  store.password.assign(form.password);
  return store.user.empty() ? OkVerdict::UserNameEmpty : OkVerdict::Accept;
}

OkVerdict AcceptSql(const SqlForm& form, SqlStore& store) {
  store.timeOut = form.timeOut;
  if (form.timeOut < kMinTimeOut || form.timeOut > kMaxTimeOut) return OkVerdict::TimeOutInvalid;
  store.server.assign(form.server);
  store.database.assign(form.database);
  store.user.assign(form.user);
  store.password.assign(form.password);
  store.trusted = form.trusted ? 1 : 0;
  if (!form.trusted && store.user.empty()) return OkVerdict::UserNameEmpty;
  return OkVerdict::Accept;
}

OkVerdict AcceptAccess(const AccessForm& form, AccessStore& store, bool (*exists)(const char* path)) {
  store.file.assign(form.file);
  store.user.assign(form.user);
  store.password.assign(form.password);
  if (store.file.empty()) return OkVerdict::FileNameEmpty;
  if (!exists(store.file.c_str())) return OkVerdict::FileMissing;
  if (store.user.empty()) return OkVerdict::UserNameEmpty;
  return OkVerdict::Accept;
}

}  // namespace larch
