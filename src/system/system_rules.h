// Decisions of the process, window and session functions that need no
// system call, kept apart so they can be checked on any platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "bridge/dbcs.h"
#include "bridge/path_length.h"

namespace larch {

// Session-end flags for an action (0 log off, 1 restart, other: power off).
// The newer system family (major version 5 and up) needs the forced form,
// the older one knows only a plain shutdown, not a power-off.
uint32_t ExitWindowsFlags(int32_t action, uint32_t majorVersion);
// Systems from major version 5 on need the shutdown privileges enabled.
inline bool NeedsShutdownPrivilege(uint32_t majorVersion) { return majorVersion >= 5; }

// Show command stored in a shortcut for the caller's show kind:
// 1 normal, 2 minimised without activation, 3 maximised; others: normal.
int32_t ShortcutShowCommand(int32_t kind);

// Twips per pixel at a given number of pixels per logical inch; 0 when
// the device reports no resolution.
int32_t TwipsPerPixel(int32_t pixelsPerInch);

// ---- Lengths the system's calls take (paths: kMaxPathLength) ----

// The longest URL the shell and the browsers take.
constexpr size_t kUrlLimit = 2083;
// The longest command line a new process can be given (the NUL not
// counted); parameters longer than that can never reach a program.
constexpr size_t kCommandLineLimit = 32767;
// A verb names a registry key under the document's type, and key names
// stop at 255 characters.
constexpr size_t kVerbLimit = 255;
// The longest description a shortcut shows as its tip (the NUL not
// counted); the link file stores its strings with 16-bit counts, so an
// unbounded one could not be saved intact.
constexpr size_t kShortcutDescriptionLimit = 1023;

// Whether the shell would take the text as a URL: a scheme of two or more
// letters, digits, '+', '-' or '.' starting with a letter, then ':'. One
// letter before the colon is a drive ("C:\..."), not a scheme.
bool LooksLikeUrl(const LeadBytes& leads, std::string_view text);
// The longest file, document or URL the shell-execute functions pass on:
// a URL may be as long as the browsers take, anything else is a path.
size_t ShellTargetLimit(const LeadBytes& leads, std::string_view target);

// The program's name in a command line: the text inside the quotes of a
// quoted name (to the end when the quote is not closed), else the text up
// to the first blank.
std::string_view ProgramName(const LeadBytes& leads, std::string_view commandLine);

// The code to record when the shell's start failed: what the shell left
// in GetLastError when it left one, else the shell's own failure value
// (hInstApp, 1..32) as the system error that means the same; 0 when there
// is neither (the caller then records a general failure).
uint32_t ShellStartFailureCode(uint32_t lastError, uintptr_t instApp);

// The command line that starts the system's Notepad from the system
// folder the system reported: its full name in quotes, so no other
// folder is searched and a blank in a folder's name cannot split it.
std::string NotepadCommandLine(const LeadBytes& leads, std::string_view systemFolder);

}  // namespace larch
