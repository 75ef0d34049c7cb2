// Typed access to a function's parameters, so that no host function does
// offset arithmetic or forgets an unlock. Parameters are numbered from 1.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/handles.h"
#include "bridge/path_length.h"
#include "bridge/records.h"
#include "bridge/system_error.h"

namespace larch {

// An optional character parameter: absent is no text (get() gives a null
// pointer), given-but-empty is "".
struct OptionalText {
  bool given = false;
  std::string text;
  const char* get() const { return given ? text.c_str() : nullptr; }
};

// A character variable passed by reference, loaded once: constructing it
// raises host error 9 when the variable does not hold a character value.
// The bytes are edited in place and go back to the variable on store().
class TextVariable {
 public:
  explicit TextVariable(HostVarRef& ref);

  std::string& bytes() { return bytes_; }
  // Stores the bytes back, in a new block (the loaded one is already freed).
  void store() const;
  // The same for functions that leave a refused store to the host: the
  // host's answer is not looked at.
  void storeUnchecked() const;

 private:
  HostVarRef& ref_;
  std::string bytes_;
};

// A character parameter made NUL-terminated in its own block and locked
// for the life of this object.
class TextParam {
 public:
  explicit TextParam(HostValue& value);
  TextParam(const TextParam&) = delete;
  TextParam& operator=(const TextParam&) = delete;
  TextParam(TextParam&& other) noexcept;
  ~TextParam();

  const char* c_str() const { return data_; }
  char* data() { return data_; }
  uint32_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  std::string_view view() const { return {data_, length_}; }
  std::string str() const { return std::string(data_, length_); }

 private:
  MemHandle handle_;
  uint32_t length_;
  char* data_;
};

// Texts that become a path, a command line or a name for the system. The
// system reads such a text only up to its first NUL, so a text holding one
// would act on another name than the one given ("keep.dat" for
// "keep.dat" + CHR(0) + ".tmp"): it is refused, never cut.
bool HoldsNul(std::string_view text);
// The same refusal for a function that records its failures: records
// ERROR_INVALID_NAME (123) when the text holds a NUL.
bool RefuseNul(std::string_view text);
// A path the system cannot take as given: one holding a NUL (123 recorded)
// or too long for the system's calls once resolved (206 recorded, see
// RefuseLongPath).
bool RefusePath(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);
// The same for a function that records no errors: nothing is recorded.
bool UnusablePath(std::string_view path, RelativeTo base = RelativeTo::kCurrentFolder);

// Grows a character parameter's block by one byte and writes a NUL after
// the data; raises host error 182 when the block cannot grow.
char* TerminateTextParam(HostValue& value);

class Params {
 public:
  explicit Params(ParamBlock* block) : block_(block) {}

  int count() const { return block_->count; }
  // True when parameter n was passed (optional parameters go by count).
  bool has(int n) const { return n >= 1 && n <= block_->count; }

  HostValue& value(int n) const { return block_->values[n - 1]; }
  HostVarRef& ref(int n) const { return reinterpret_cast<HostVarRef&>(block_->values[n - 1]); }
  uint8_t type(int n) const { return value(n).type; }
  // The character variable passed by reference as parameter n.
  TextVariable textVariable(int n) const { return TextVariable(ref(n)); }

  int32_t integer(int n) const { return value(n).integer; }
  double number(int n) const { return value(n).number; }
  bool logical(int n) const { return value(n).length != 0; }
  // Length of a character parameter, read without touching its block.
  uint32_t length(int n) const { return value(n).length; }

  // A locked, NUL-terminated view of character parameter n.
  TextParam text(int n) const { return TextParam(value(n)); }
  // A copy of character parameter n; "" when it was not passed.
  std::string textOr(int n, std::string_view fallback = {}) const;
  // A copy of character parameter n, told apart from "not passed".
  OptionalText optionalText(int n) const;

  // Integer of parameter n, or the fallback when it was not passed.
  int32_t integerOr(int n, int32_t fallback) const { return has(n) ? integer(n) : fallback; }
  bool logicalOr(int n, bool fallback) const { return has(n) ? logical(n) : fallback; }

 private:
  ParamBlock* block_;
};

}  // namespace larch
