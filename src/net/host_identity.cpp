// Who and where the machine is: adapter addresses, IPv4 addresses of a
// name, the computer and user names.
#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <nb30.h>

#include <cstring>
#include <vector>

#include "bridge/dbcs.h"
#include "bridge/desktop.h"
#include "bridge/host.h"
#include "bridge/params.h"
#include "bridge/system_error.h"
#include "net/address_text.h"
#include "net/functions.h"
#include "net/net_handles.h"

namespace larch {
namespace {

constexpr char kMessageTitle[] = "Larch_fll by brenwick";
constexpr DWORD kComputerNameCapacity = 16;
constexpr DWORD kUserNameCapacity = 257;

// The adapter address NetBIOS reports for a computer on LANA 0, or "".
std::string NetbiosAdapterAddress(const std::string& name) {
  std::array<uint8_t, 16> callName;
  if (!NetbiosCallName(name, AnsiLeadBytes(), &callName)) return "";

  NCB reset{};
  reset.ncb_command = NCBRESET;
  reset.ncb_lana_num = 0;
  Netbios(&reset);

  uint8_t status[600] = {};
  NCB query{};
  query.ncb_command = NCBASTAT;
  query.ncb_lana_num = 0;
  std::memcpy(query.ncb_callname, callName.data(), callName.size());
  query.ncb_name[0] = 0;
  query.ncb_buffer = status;
  query.ncb_length = sizeof status;
  if (Netbios(&query) != 0) return "";
  return MacText(status);
}

// Without a display there is nobody to read the box, and the system's box
// could not be shown: the call answers "" without it.
void ShowAdapterMessage(const char* text) {
  if (DesktopAvailable()) MessageBoxA(nullptr, text, kMessageTitle, MB_OK);
}

// The addresses of the local adapters of one interface type (0: all).
std::string LocalAdapterAddresses(UINT type) {
  ULONG size = 0;
  switch (GetAdaptersInfo(nullptr, &size)) {
    case ERROR_NO_DATA: ShowAdapterMessage("No adapter information exists for the local computer"); return "";
    case ERROR_NOT_SUPPORTED:
      ShowAdapterMessage("GetAdaptersInfo is not supported by the operating system running on the local computer");
      return "";
    case ERROR_BUFFER_OVERFLOW: break;
    default: return "";
  }
  if (size < sizeof(IP_ADAPTER_INFO)) return "";
  std::vector<uint8_t> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (GetAdaptersInfo(first, &size) != ERROR_SUCCESS) return "";
  WholeEntryList list(kMacListCapacity);
  for (const IP_ADAPTER_INFO* a = first; a; a = a->Next) {
    // Six groups whatever the address length says.
    if (type == 0 || a->Type == type) list.add(MacText(a->Address) + "|");
  }
  return list.text();
}

}  // namespace

void KVGetHostMac(ParamBlock* block) {
  Params p(block);
  std::string name = p.text(1).str();
  // Cut at a NUL the text would name another computer (this one when it
  // comes first).
  if (HoldsNul(name)) return ReturnText("");
  if (name.empty()) {
    char local[kComputerNameCapacity] = {};
    DWORD size = kComputerNameCapacity;
    if (!GetComputerNameA(local, &size)) return ReturnText("");
    name = local;
  }
  ReturnText(NetbiosAdapterAddress(name));
}

void KVGetMac2(ParamBlock* block) {
  Params p(block);
  ReturnText(LocalAdapterAddresses(static_cast<UINT>(p.integerOr(1, 0))));
}

void KVGetHostIP(ParamBlock* block) {
  Params p(block);
  TextParam name = p.text(1);
  if (name.empty() || HoldsNul(name.view())) return ReturnText("");
  WinsockSession sockets(MAKEWORD(2, 1));
  AddressList list;
  for (const std::string& address : ResolveHostAddresses(name.c_str())) list.add(address);
  ReturnText(list.text());
}

void APIGetComputerName(ParamBlock*) {
  char name[kComputerNameCapacity] = {};
  DWORD size = kComputerNameCapacity;
  if (!Recorded(GetComputerNameA(name, &size))) return ReturnText("");
  ReturnText(name);
}

void APIGetUserName(ParamBlock*) {
  char name[kUserNameCapacity] = {};
  DWORD size = kUserNameCapacity;
  if (!Recorded(GetUserNameA(name, &size))) return ReturnText("");
  ReturnText(name);
}

}  // namespace larch
