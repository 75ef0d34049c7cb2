// Texts made from drive roots: volume captions and the list of roots.
#pragma once

#include <string>
#include <string_view>

namespace larch {

// Drive types as the system numbers them.
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveCdRom = 5;

// Floppy drives are named without asking the system for their type.
bool IsFloppyRoot(std::string_view root);

// "LABEL (C:)": the label and the first two characters of the root, which
// the caller has upper-cased. The root holds at least two characters.
std::string LabelledVolumeText(std::string_view label, std::string_view root);

// The caption of a volume without a label: FLOPPY for A and B, otherwise
// by drive type REMOVABLE, CD-ROM or No Volume.
std::string UnlabelledVolumeText(std::string_view root, unsigned driveType);

// The system's list of roots, each ended by a NUL, as text with every NUL
// turned into '|'.
std::string DriveListText(std::string_view roots);

// A shell name list: the names (a NUL inside separates two) ended by two
// NULs.
std::string ShellNameList(std::string_view names);

}  // namespace larch
