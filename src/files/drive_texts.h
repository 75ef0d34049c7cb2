// Texts made from drive roots: volume captions and the list of roots.
#pragma once

#include <string>
#include <string_view>

#include "bridge/dbcs.h"

namespace larch {

// Drive types as the system numbers them.
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveCdRom = 5;

// Floppy drives are named without asking the system for their type.
bool IsFloppyRoot(std::string_view root);

// "LABEL (C:)": the label and the first two bytes of the root, which the
// caller has upper-cased (only the first when the second starts a
// double-byte character: a caption never ends in half a character). The
// root holds at least two bytes.
std::string LabelledVolumeText(std::string_view label, std::string_view root, const LeadBytes& leads = LeadBytes());

// The caption of a volume without a label: FLOPPY for A and B, otherwise
// by drive type REMOVABLE, CD-ROM or No Volume.
std::string UnlabelledVolumeText(std::string_view root, unsigned driveType, const LeadBytes& leads = LeadBytes());

// The system's list of roots, each ended by a NUL, as text with every NUL
// turned into '|'.
std::string DriveListText(std::string_view roots);

// A shell name list: the names (a NUL inside separates two) ended by two
// NULs.
std::string ShellNameList(std::string_view names);

// Whether every name of such a text reaches the shell: a NUL separates two
// names and never stands first, last or beside another NUL, where it would
// end the list early and drop the names after it.
bool AllNamesListed(std::string_view names);

// The length in bytes of the longest name in such a text (names are
// separated by NULs; the system takes each one as a path of its own).
size_t LongestShellName(std::string_view names);

}  // namespace larch
