// The published functions of the text family.
#pragma once

#include "bridge/records.h"

namespace larch {

// Code pages (code_page_functions.cpp).
void KVBig5ToGb2312(ParamBlock* block);
void KVGb2312ToBig5(ParamBlock* block);

// Pinyin initials and strokes (classify_functions.cpp).
void KVCnCharToSpell(ParamBlock* block);
void KVCnCharToStroke(ParamBlock* block);

// Capital numerals (numeral_functions.cpp).
void KVRmbNumToCnChar(ParamBlock* block);

// Wildcards and reversal (match_functions.cpp).
void KVFindMatchString(ParamBlock* block);
void KVIsMatchString(ParamBlock* block);
void KVMultiMatchString(ParamBlock* block);
void KVStrRev(ParamBlock* block);

// The tokenizer (parse_string_functions.cpp).
void PSSetStringLine(ParamBlock* block);
void PSSetFlagChar(ParamBlock* block);
void PSIsEnd(ParamBlock* block);
void PSGetItem(ParamBlock* block);
void PSGoToHead(ParamBlock* block);
void PSGetRestString(ParamBlock* block);

}  // namespace larch
