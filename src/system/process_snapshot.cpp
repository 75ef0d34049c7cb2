// The running processes into a host array of rows x 3: id, parent id, name.
#include <windows.h>
#include <tlhelp32.h>

#include <cstring>
#include <string>

#include "bridge/host.h"
#include "bridge/host_array.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "bridge/win_handles.h"
#include "system/functions.h"

namespace larch {
namespace {

constexpr uint32_t kMaxRows = 0xFFFF;  // row numbers are 16-bit in the host

PROCESSENTRY32 EmptyEntry() {
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  return entry;
}

// Entries after the first one: the first entry of the list is the idle
// process on the NT family and never becomes a row.
uint32_t CountRows(HANDLE snapshot) {
  PROCESSENTRY32 entry = EmptyEntry();
  uint32_t rows = 0;
  if (!Process32First(snapshot, &entry)) return 0;
  while (rows < kMaxRows && Process32Next(snapshot, &entry)) ++rows;
  return rows;
}

std::string_view ExeName(const PROCESSENTRY32& entry) {
  return {entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile)};
}

}  // namespace

void KVGetProcessSnapshot(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0) return ReturnInt(0);
  const std::string name = p.text(1).str();
  ReleaseHostVariable(name);

  UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPALL, /*th32ProcessID=*/0));
  if (!snapshot) {
    RecordSystemError();
    return ReturnInt(0);
  }
  const uint32_t rows = CountRows(snapshot.get());
  if (rows == 0) return ReturnInt(0);

  HostArray array(name, static_cast<uint16_t>(rows), 3);
  PROCESSENTRY32 entry = EmptyEntry();
  Process32First(snapshot.get(), &entry);
  uint32_t row = 0;
  // The fill pass reads the same snapshot, so it never finds more entries
  // than the count pass did.
  while (row < rows && Process32Next(snapshot.get(), &entry)) {
    ++row;
    const uint16_t r = static_cast<uint16_t>(row);
    array.setInt(r, 1, static_cast<int32_t>(entry.th32ProcessID));
    array.setInt(r, 2, static_cast<int32_t>(entry.th32ParentProcessID));
    array.setText(r, 3, ExeName(entry));
  }
  // The count is answered less one, as callers of this function expect.
  ReturnInt(static_cast<uint16_t>(row - 1));
}

}  // namespace larch
