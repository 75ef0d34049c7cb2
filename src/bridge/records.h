// The packed records shared with the host. Their layout is a fixed binary
// interface: every field offset is checked at compile time below.
#pragma once

#include <cstddef>
#include <cstdint>

namespace larch {

#pragma pack(push, 1)

// What the host passes to DispatchAPI.
struct DispatchRecord {
  uint32_t word0;  // first in/out word
  uint32_t word4;  // second in/out word
  uint8_t unused8[12];
  uint32_t operation;  // operation code
  uint32_t function;   // HostCallback (op 0) or the entry point to run
  uint8_t unused28[8];
  uint8_t arguments[1];  // argument area; only its address is used
};

// One request to the host, built on the stack for each service call.
struct ServiceRecord {
  uint32_t arg1;  // argument 1 in, result out
  uint32_t arg2;
  uint32_t arg3;
  uint32_t unused12;
  uint32_t operation;
  uint32_t zero;  // cleared before every call
  uint32_t unused24;
};

struct HandleTable {
  uint16_t hint;        // where the next search for a free entry starts
  uint16_t capacity;    // entries, entry 0 included
  uint32_t entries[1];  // global-memory handles, 0 when free
};

struct SlotTable {
  uint16_t hint;
  uint16_t used;
  uint16_t capacity;
  uint32_t entries[1];
};

// One typed value: a parameter, a result, or a variable's content.
struct HostValue {
  uint8_t type;  // 'C', 'I', 'N', 'L', 'H'
  uint8_t unused1;
  uint16_t width;   // display width of a number
  uint32_t length;  // C/H: text length; L: 0 or 1
  int32_t integer;  // I
  double number;    // N
  uint8_t unused20[8];
  uint32_t handle;  // C/H: MemHandle of the text
  uint32_t unused32;
};

// Locator of a host variable or of one array element.
struct HostVarRef {
  uint8_t host[7];       // the host's own bytes
  uint16_t subscripts;   // 0 scalar, 1 or 2 for array elements
  uint16_t row;          // first subscript; rows when creating
  uint16_t column;       // second subscript; columns when creating
  uint8_t unused13[23];  // pads the record to a parameter slot
};

struct ParamBlock {
  uint16_t count;
  HostValue values[1];  // 36 bytes each; an R parameter holds a HostVarRef
};

struct FunctionTableHeader {
  uint32_t next;  // address of a further table; always 0
  uint16_t rows;
  uint32_t firstEntry;  // address of the first FunctionEntry
};

struct FunctionEntry {
  uint32_t name;
  uint32_t entryPoint;
  int16_t count;
  uint32_t types;
};

#pragma pack(pop)

constexpr uint8_t kTypeChar = 'C';
constexpr uint8_t kTypeInt = 'I';
constexpr uint8_t kTypeNumber = 'N';
constexpr uint8_t kTypeLogical = 'L';
constexpr uint8_t kTypeHandedText = 'H';

constexpr uint16_t kResultTag = 16;
constexpr uint32_t kInterfaceVersion = 5000;

static_assert(offsetof(DispatchRecord, word4) == 4);
static_assert(offsetof(DispatchRecord, operation) == 20);
static_assert(offsetof(DispatchRecord, function) == 24);
static_assert(offsetof(DispatchRecord, arguments) == 36);

static_assert(sizeof(ServiceRecord) == 28);
static_assert(offsetof(ServiceRecord, arg3) == 8);
static_assert(offsetof(ServiceRecord, operation) == 16);
static_assert(offsetof(ServiceRecord, zero) == 20);

static_assert(offsetof(HandleTable, capacity) == 2);
static_assert(offsetof(HandleTable, entries) == 4);
static_assert(offsetof(SlotTable, used) == 2);
static_assert(offsetof(SlotTable, capacity) == 4);
static_assert(offsetof(SlotTable, entries) == 6);

static_assert(sizeof(HostValue) == 36);
static_assert(offsetof(HostValue, width) == 2);
static_assert(offsetof(HostValue, length) == 4);
static_assert(offsetof(HostValue, integer) == 8);
static_assert(offsetof(HostValue, number) == 12);
static_assert(offsetof(HostValue, handle) == 28);

static_assert(sizeof(HostVarRef) == 36);
static_assert(offsetof(HostVarRef, subscripts) == 7);
static_assert(offsetof(HostVarRef, row) == 9);
static_assert(offsetof(HostVarRef, column) == 11);

static_assert(offsetof(ParamBlock, values) == 2);
static_assert(sizeof(FunctionTableHeader) == 10);
static_assert(offsetof(FunctionTableHeader, firstEntry) == 6);
static_assert(sizeof(FunctionEntry) == 14);
static_assert(offsetof(FunctionEntry, count) == 8);
static_assert(offsetof(FunctionEntry, types) == 10);

// Records carry addresses as 32-bit words (the library is 32-bit).
inline uint32_t Address(const void* p) { return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(p)); }

// Host service operation codes.
enum Service : uint32_t {
  kReturnValue = 11,
  kNewVariable = 27,
  kReleaseVariable = 28,
  kStoreValue = 29,
  kLoadValue = 30,
  kCurrentWindowId = 45,
  kExecuteCommand = 54,
  kEvaluateExpr = 55,
  kRaiseError = 83,
  kRaiseErrorAlt = 84,
  kFindVariable = 92,
  kNameTableIndex = 93,
  kPlatformWindowOf = 112,
  kFallbackWindowId = 113,
};

// DispatchAPI operation codes.
enum Operation : uint32_t {
  kOpAttach = 0,
  kOpCallParams = 1,
  kOpAlloc = 2,
  kOpFree = 4,
  kOpAddress = 6,
  kOpCallPair = 10,
  kOpCallValue = 11,
  kOpGetTable = 14,
  kOpSlotAdd = 16,
  kOpSlotRemove = 17,
  kOpSlotGet = 18,
};

// Host error numbers the library raises itself.
constexpr int kErrorType = 9;
constexpr int kErrorMemory = 182;

}  // namespace larch
