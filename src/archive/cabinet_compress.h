// Building cabinets with FCI: a context per cabinet under construction,
// known to the host by a 32-bit handle.
#pragma once

#include <cstdint>
#include <string_view>

namespace larch {

// Opens a context for the cabinet at path; 0 when the path is refused or
// FCI fails. The cabinet file is written only by FlushCabinet.
uint32_t CreateCabinet(std::string_view path);

// Adds a file, stored under its name without folders, MSZIP-compressed.
// On failure, and for a handle this library does not hold, returns false;
// a held context is then destroyed.
bool AddFileToCabinet(uint32_t handle, std::string_view file);

// Writes the cabinet and destroys the context whatever the outcome.
bool FlushCabinet(uint32_t handle);

// One file into one cabinet: create, add, flush.
bool CompressFile(std::string_view file, std::string_view cabinet);

}  // namespace larch
