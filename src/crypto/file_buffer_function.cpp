// KVEncryptFileBuffer2: whole buffers (typically files read into a host
// value) enciphered under a key text, with a trailer that refuses a wrong
// key or a changed length.
#include <cstdint>

#include "bridge/handles.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/values.h"
#include "bridge/win_handles.h"
#include "crypto/file_buffer_cipher.h"
#include "crypto/functions.h"
#include "crypto/resource_key.h"

namespace larch {

void KVEncryptFileBuffer2(ParamBlock* block) {
  Params p(block);
  if (p.length(1) == 0 || p.length(2) == 0) return ReturnText("");
  if (p.type(1) != kTypeChar) RaiseTypeError();
  TextParam key = p.text(2);
  if (key.c_str()[0] == '\0') return ReturnText("");
  const KeyBlock* resourceKey = ResourceKey();
  if (!resourceKey) return ReturnText("");

  const bool encipher = p.integer(3) == 1;
  const uint32_t length = p.length(1);
  if (!encipher && length <= kTrailerSize) return ReturnText("");
  const uint64_t outLength = encipher ? uint64_t(length) + kTrailerSize : length - kTrailerSize;
  if (outLength >= UINT32_MAX) RaiseMemoryError();

  // The result is written straight into the block handed to the host;
  // the buffer parameter is used with its exact length, not terminated.
  UniqueHostBlock result(AllocHandle(static_cast<uint32_t>(outLength) + 1, kResultTag));
  if (!result) RaiseMemoryError();
  bool ok = true;
  {
    HandleLock out(result.get());
    HandleLock in(p.value(1).handle);
    if (!out.data() || !in.data()) RaiseMemoryError();
    if (encipher) {
      EncipherFileBuffer(out.data(), in.data(), length, key.c_str(), *resourceKey);
    } else {
      ok = DecipherFileBuffer(out.data(), in.data(), length, key.c_str(), *resourceKey);
    }
  }
  if (!ok) return ReturnText("");
  ReturnValue(TextValue(kTypeChar, result.get(), static_cast<uint32_t>(outLength)));
}

}  // namespace larch
