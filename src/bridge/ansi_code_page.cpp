// The lead bytes of the ANSI code page the host runs under. The code page
// is fixed for the life of the process, so the table is read once.
#include <windows.h>

#include "bridge/dbcs.h"

namespace larch {

const LeadBytes& AnsiLeadBytes() {
  static const LeadBytes leads = [] {
    LeadBytes table;
    for (int b = 0x80; b <= 0xFF; ++b) {
      if (IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(b))) table.set(static_cast<unsigned char>(b));
    }
    return table;
  }();
  return leads;
}

}  // namespace larch
