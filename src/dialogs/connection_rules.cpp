#include "dialogs/connection_rules.h"

#include "bridge/path_length.h"

namespace larch {

size_t BytesOfFirstChars(const LeadBytes& leads, std::string_view text, size_t maxChars) {
  size_t n = 0;
  for (size_t chars = 0; chars < maxChars && n < text.size(); ++chars) n += CharLength(leads, text, n);
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

OkVerdict AcceptLogin(const LoginForm& form, LoginStore& store, const LeadBytes& leads) {
  store.user.assign(leads, form.user);
  store.password.assign(leads, form.password);
  return store.user.empty() ? OkVerdict::UserNameEmpty : OkVerdict::Accept;
}

OkVerdict AcceptSql(const SqlForm& form, SqlStore& store, const LeadBytes& leads) {
  store.timeOut = form.timeOut;
  if (form.timeOut < kMinTimeOut || form.timeOut > kMaxTimeOut) return OkVerdict::TimeOutInvalid;
  store.server.assign(leads, form.server);
  store.database.assign(leads, form.database);
  store.user.assign(leads, form.user);
  store.password.assign(leads, form.password);
  store.trusted = form.trusted ? 1 : 0;
  if (!form.trusted && store.user.empty()) return OkVerdict::UserNameEmpty;
  return OkVerdict::Accept;
}

OkVerdict AcceptAccess(const AccessForm& form, AccessStore& store, const LeadBytes& leads,
                       bool (*exists)(const char* path)) {
  store.file.assign(leads, form.file);
  store.user.assign(leads, form.user);
  store.password.assign(leads, form.password);
  if (store.file.empty()) return OkVerdict::FileNameEmpty;
  // Within the system's limit the stored name is the whole box text.
  if (PathTooLong(form.file) || !exists(store.file.c_str())) return OkVerdict::FileMissing;
  if (store.user.empty()) return OkVerdict::UserNameEmpty;
  return OkVerdict::Accept;
}

}  // namespace larch
