// The open/save record the library hands to the system's file dialogs: the
// published 76-byte layout, which every system version accepts.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

namespace larch {

constexpr DWORD kFileRecordSize = 76;  // OPENFILENAME without the 2000 additions
constexpr DWORD kNameBufferSize = 0x8000;

// Open: explorer style, resizable, the file must exist, the current folder
// stays where it was, no read-only box.
constexpr DWORD kOpenFlags = OFN_ENABLESIZING | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
// Save: the folder must exist, and the user confirms an overwrite.
constexpr DWORD kSaveFlags =
    OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// A record with the owner, filter list (empty: none), name buffer and
// flags; everything else zero (the system's title, no initial folder).
OPENFILENAMEA MakeFileRecord(HWND owner, const std::string& filterList, char* names, DWORD capacity, DWORD flags);

}  // namespace larch
