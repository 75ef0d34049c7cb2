// The digest of the host process's executable file, the key material that
// binds batches and string streams to one application.
#pragma once

namespace larch {

// Writes the digest text of the executable into out (33 bytes); when the
// file cannot be read only out[0] is written, a NUL.
void HostExeDigest(char* out);

}  // namespace larch
