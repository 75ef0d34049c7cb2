#include "archive/cabinet_io.h"

#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <string>

namespace larch {

void* __cdecl CabAlloc(ULONG size) { return std::malloc(size); }

void __cdecl CabFree(void* memory) { std::free(memory); }

INT_PTR CabOpen(const char* path, int flags, int mode) { return _open(path, flags, mode); }

UINT CabRead(INT_PTR file, void* buffer, UINT size) {
  return static_cast<UINT>(_read(static_cast<int>(file), buffer, size));
}

UINT CabWrite(INT_PTR file, const void* buffer, UINT size) {
  return static_cast<UINT>(_write(static_cast<int>(file), buffer, size));
}

int CabClose(INT_PTR file) { return _close(static_cast<int>(file)); }

LONG CabSeek(INT_PTR file, LONG distance, int origin) { return _lseek(static_cast<int>(file), distance, origin); }

namespace {

std::optional<std::wstring> Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return std::wstring();
  int size = static_cast<int>(text.size());
  int wide = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (wide <= 0) return std::nullopt;
  std::wstring out(static_cast<size_t>(wide), L'\0');
  if (MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), size, out.data(), wide) != wide) {
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> Narrow(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  int size = static_cast<int>(wide.size());
  // CP_UTF8 takes neither flag; every character has a UTF-8 form.
  bool exact = codePage != CP_UTF8;
  DWORD flags = exact ? WC_NO_BEST_FIT_CHARS : 0;
  BOOL defaulted = FALSE;
  BOOL* usedDefault = exact ? &defaulted : nullptr;
  int bytes = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
  if (bytes <= 0 || defaulted) return std::nullopt;
  std::string out(static_cast<size_t>(bytes), '\0');
  if (WideCharToMultiByte(codePage, flags, wide.data(), size, out.data(), bytes, nullptr, usedDefault) != bytes ||
      defaulted) {
    return std::nullopt;
  }
  return out;
}

}  // namespace

std::optional<std::string> AnsiToUtf8(std::string_view ansi) {
  std::optional<std::wstring> wide = Widen(CP_ACP, ansi);
  return wide ? Narrow(CP_UTF8, *wide) : std::nullopt;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
  std::optional<std::wstring> wide = Widen(CP_UTF8, utf8);
  return wide ? Narrow(CP_ACP, *wide) : std::nullopt;
}

}  // namespace larch
