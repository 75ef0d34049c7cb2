// Enumeration of the session's values and subkeys into host arrays.
#include <algorithm>
#include <string>
#include <vector>

#include "bridge/host.h"
#include "bridge/host_array.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "registry/functions.h"
#include "registry/registry_session.h"

namespace larch {
namespace {

// Host arrays count rows in 16 bits.
constexpr DWORD kMaxRows = 0xFFFF;

struct KeyInfo {
  DWORD subKeys = 0;
  DWORD longestSubKey = 0;
  DWORD values = 0;
  DWORD longestValueName = 0;
  DWORD longestValueData = 0;
};

// Re-opens the key from the current root and path and reads its sizes.
bool ReopenAndQuery(KeyInfo* info) {
  RegistrySession& session = Registry();
  if (!session.open(false)) return false;
  return RegistryResult(RegQueryInfoKeyA(session.key(), /*lpClass=*/nullptr, /*lpcchClass=*/nullptr,
                                         /*lpReserved=*/nullptr, &info->subKeys, &info->longestSubKey,
                                         /*lpcbMaxClassLen=*/nullptr, &info->values, &info->longestValueName,
                                         &info->longestValueData, /*lpcbSecurityDescriptor=*/nullptr,
                                         /*lpftLastWriteTime=*/nullptr));
}

// The key reports name lengths in UTF-16 units; a name in a double-byte
// code page (Chinese text) takes up to two bytes per unit, plus the NUL.
size_t AnsiNameCapacity(DWORD longest) { return 2 * static_cast<size_t>(longest) + 1; }

// Text data as stored, less the NUL that ends them.
std::string_view TextData(const std::vector<char>& data, DWORD size) {
  std::string_view text(data.data(), size);
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  return text;
}

int32_t EnumValuesInto(const std::string& arrayName) {
  KeyInfo info;
  if (!ReopenAndQuery(&info)) return 0;
  DWORD count = std::min(info.values, kMaxRows);
  if (count == 0) {
    // An array of no rows is released again at once: the net effect is
    // only the removal of any variable of that name.
    ReleaseHostVariable(arrayName);
    return 0;
  }
  HostArray array(arrayName, static_cast<uint16_t>(count), 3);
  HKEY key = Registry().key();
  uint16_t rows = 0;
  for (DWORD index = 0; index < count; ++index) {
    std::vector<char> name(AnsiNameCapacity(info.longestValueName), '\0');
    std::vector<char> data(info.longestValueData + 1, '\0');
    DWORD nameSize = static_cast<DWORD>(name.size());
    DWORD dataSize = static_cast<DWORD>(data.size());
    DWORD type = 0;
    if (!RegistryResult(RegEnumValueA(key, index, name.data(), &nameSize, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data.data()), &dataSize))) {
      // The key changed under us: a partial array would not match the key.
      ReleaseHostVariable(arrayName);
      return 0;
    }
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_DWORD) continue;
    ++rows;
    array.setText(rows, 1, std::string_view(name.data(), nameSize));
    array.setInt(rows, 2, static_cast<int32_t>(type), 5);
    if (type == REG_DWORD) {
      DWORD value = 0;
      std::copy_n(data.data(), std::min<size_t>(dataSize, sizeof value), reinterpret_cast<char*>(&value));
      array.setInt(rows, 3, static_cast<int32_t>(value));
    } else {
      array.setText(rows, 3, TextData(data, dataSize));
    }
  }
  if (rows == 0) ReleaseHostVariable(arrayName);
  return rows;
}

int32_t EnumSubKeysInto(const std::string& arrayName) {
  KeyInfo info;
  if (!ReopenAndQuery(&info)) return 0;
  DWORD count = std::min(info.subKeys, kMaxRows);
  if (count == 0) {
    // The host has no arrays of no rows: the name is left without a variable.
    ReleaseHostVariable(arrayName);
    return 0;
  }
  HostArray array(arrayName, static_cast<uint16_t>(count), 0);
  HKEY key = Registry().key();
  for (DWORD index = 0; index < count; ++index) {
    std::vector<char> name(AnsiNameCapacity(info.longestSubKey), '\0');
    DWORD nameSize = static_cast<DWORD>(name.size());
    if (!RegistryResult(RegEnumKeyExA(key, index, name.data(), &nameSize, nullptr, nullptr, nullptr, nullptr))) {
      ReleaseHostVariable(arrayName);
      return 0;
    }
    array.setText(static_cast<uint16_t>(index + 1), 1, std::string_view(name.data(), nameSize));
  }
  return static_cast<int32_t>(count);
}

}  // namespace

void FREnumRegValue(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(0);
  ReturnInt(EnumValuesInto(p.text(1).str()));
}

void FREnumRegKeyEx(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(0);
  ReturnInt(EnumSubKeysInto(p.text(1).str()));
}

}  // namespace larch
