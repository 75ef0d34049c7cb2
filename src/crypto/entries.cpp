// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "crypto/functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"Get32Md5", Get32Md5},
    {"Get32Md5FileChecksum", Get32Md5FileChecksum},
    {"KVEncryptTxt1", KVEncryptTxt1},
    {"KVEncryptTxt2", KVEncryptTxt2},
    {"KVEncryptByteBlock2", KVEncryptByteBlock2},
    {"KVRunFoxBatch2", KVRunFoxBatch2},
    {"KVEncryptFileBuffer2", KVEncryptFileBuffer2},
    {"LoadStringSrcStream", LoadStringSrcStream},
    {"GetStringSrcById", GetStringSrcById},
};

}  // namespace

EntryList CryptoEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
