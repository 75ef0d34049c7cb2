// The cabinet functions: each reads its parameters and calls the cabinet
// core. Empty paths are answered with 0 before anything is touched.
#include <string>

#include "archive/cabinet_compress.h"
#include "archive/cabinet_extract.h"
#include "archive/functions.h"
#include "bridge/host.h"
#include "bridge/params.h"

namespace larch {

void CabCreateCabinet(ParamBlock* block) {
  Params p(block);
  uint32_t handle = p.length(1) == 0 ? 0 : CreateCabinet(p.text(1).view());
  ReturnInt(static_cast<int32_t>(handle));
}

void CabAddFile2Cab(ParamBlock* block) {
  Params p(block);
  uint32_t handle = static_cast<uint32_t>(p.integer(1));
  // An empty path fails like any other refused file: the context goes too.
  bool added = AddFileToCabinet(handle, p.length(2) == 0 ? std::string_view() : p.text(2).view());
  ReturnInt(added ? 1 : 0);
}

void CabFlushCab(ParamBlock* block) {
  Params p(block);
  ReturnInt(FlushCabinet(static_cast<uint32_t>(p.integer(1))) ? 1 : 0);
}

void CabCompress(ParamBlock* block) {
  Params p(block);
  bool done = p.length(1) != 0 && p.length(2) != 0 && CompressFile(p.text(1).view(), p.text(2).view());
  ReturnInt(done ? 1 : 0);
}

void CabDecompress(ParamBlock* block) {
  Params p(block);
  bool done = p.length(1) != 0 && p.length(2) != 0 && ExtractCabinet(p.text(1).view(), p.text(2).view());
  ReturnInt(done ? 1 : 0);
}

}  // namespace larch
