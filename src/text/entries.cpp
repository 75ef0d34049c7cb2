// Entry points of this family's published functions.
#include "bridge/entry_points.h"
#include "text/text_functions.h"

namespace larch {
namespace {

constexpr NamedEntry kEntries[] = {
    {"PSSetStringLine", PSSetStringLine},
    {"PSSetFlagChar", PSSetFlagChar},
    {"PSIsEnd", PSIsEnd},
    {"PSGetItem", PSGetItem},
    {"PSGoToHead", PSGoToHead},
    {"PSGetRestString", PSGetRestString},
    {"KVBig5ToGb2312", KVBig5ToGb2312},
    {"KVGb2312ToBig5", KVGb2312ToBig5},
    {"KVCnCharToSpell", KVCnCharToSpell},
    {"KVCnCharToStroke", KVCnCharToStroke},
    {"KVFindMatchString", KVFindMatchString},
    {"KVIsMatchString", KVIsMatchString},
    {"KVMultiMatchString", KVMultiMatchString},
    {"KVStrRev", KVStrRev},
    {"KVRmbNumToCnChar", KVRmbNumToCnChar},
};

}  // namespace

EntryList TextEntries() { return MakeEntryList(kEntries); }

}  // namespace larch
