#include "host_emulator.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iostream>

#include "interpreter.h"

namespace larch::host {
namespace {

HostEmulator* g_active = nullptr;

void __cdecl CallbackCdecl(ServiceRecord* r) { g_active->serve(*r); }
void __stdcall CallbackStdcall(ServiceRecord* r) { g_active->serve(*r); }
void __fastcall CallbackFastcall(ServiceRecord* r) { g_active->serve(*r); }

template <typename T>
T* Pointer(uint32_t address) {
  return reinterpret_cast<T*>(static_cast<uintptr_t>(address));
}

// The host's own bytes of a locator carry the variable's name-table index.
constexpr uint8_t kRefMark = 0xA5;

void MarkRef(HostVarRef& ref, uint32_t id) {
  std::memcpy(ref.host, &id, 4);
  ref.host[4] = kRefMark;
}

bool RefId(const HostVarRef& ref, uint32_t* id) {
  if (ref.host[4] != kRefMark) return false;
  std::memcpy(id, ref.host, 4);
  return true;
}

constexpr int kErrorNotFound = 1;
constexpr int kErrorArguments = 11;
constexpr int kErrorNoVariable = 12;
constexpr int kErrorSubscript = 31;

}  // namespace

std::string DefaultLibraryPath() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s(path);
  return s.substr(0, s.find_last_of('\\') + 1) + "larch.dll";
}

HostOptions HostEmulator::DefaultOptions() {
  HostOptions o;
  o.library = DefaultLibraryPath();
  return o;
}

std::function<void(const std::string&)>& HostEmulator::auditHandler() {
  static std::function<void(const std::string&)> handler = [](const std::string& s) {
    std::cerr << "audit: " << s << "\n";
  };
  return handler;
}

HostEmulator::HostEmulator(HostOptions options) : screenTag(options.screenTag), options_(std::move(options)) {
  g_active = this;
  print = [](const std::string& line) { std::cout << line << "\n"; };
  interpreter_ = std::make_unique<Interpreter>(*this);
  // The two host-owned tables, zero-filled; hints start at 1.
  handleMemory_.assign(4 + 4u * options_.handleCapacity, 0);
  handleTable()->hint = 1;
  handleTable()->capacity = options_.handleCapacity;
  slotMemory_.assign(6 + 4u * options_.slotCapacity, 0);
  slotTable()->hint = 1;
  slotTable()->capacity = options_.slotCapacity;
  if (!options_.library.empty()) {
    std::string error;
    if (!load(options_.library, &error)) auditHandler()(error);
  }
}

HostEmulator::~HostEmulator() {
  if (module_) FreeLibrary(module_);
  if (g_active == this) g_active = nullptr;
}

uint32_t HostEmulator::callbackAddress() const {
  switch (options_.convention) {
    case Convention::Stdcall: return Address(reinterpret_cast<const void*>(&CallbackStdcall));
    case Convention::Fastcall: return Address(reinterpret_cast<const void*>(&CallbackFastcall));
    default: return Address(reinterpret_cast<const void*>(&CallbackCdecl));
  }
}

bool HostEmulator::load(const std::string& path, std::string* error) {
  if (path.empty() || path.size() > MAX_PATH - 1) {
    if (error) *error = "cannot load \"" + path + "\" (no such path)";
    return false;
  }
  HMODULE m = LoadLibraryA(path.c_str());
  if (!m) {
    if (error) *error = "cannot load " + path + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  auto fn = reinterpret_cast<DispatchFn>(reinterpret_cast<void*>(GetProcAddress(m, "@DispatchAPI@4")));
  if (!fn) {
    FreeLibrary(m);
    if (error) *error = path + " has no @DispatchAPI@4";
    return false;
  }
  if (m == module_) {
    // Already loaded: it stays as it is.
    FreeLibrary(m);
    return true;
  }
  if (module_) {
    // The library loaded before is released as the host releases it.
    if (row("ONQUIT")) runHook("ONQUIT");
    FreeLibrary(module_);
  }
  rows_.clear();
  module_ = m;
  libraryPath_ = path;
  dispatch_ = fn;
  attach();
  if (options_.runOnLoad && row("ONLOAD")) runHook("ONLOAD");
  return true;
}

void HostEmulator::unload() {
  if (!module_) return;
  if (row("ONQUIT")) runHook("ONQUIT");
  FreeLibrary(module_);
  module_ = nullptr;
  dispatch_ = nullptr;
  rows_.clear();
  libraryPath_.clear();
}

bool HostEmulator::hasFunction(const std::string& name) const {
  const TableRow* r = row(name);
  return r && r->count >= 0;
}

std::string HostEmulator::programFolder() const {
  std::string library = DefaultLibraryPath();
  return library.substr(0, library.find_last_of('\\') + 1);
}

std::vector<std::pair<std::string, std::string>> HostEmulator::libraryFunctions() const {
  std::vector<std::pair<std::string, std::string>> functions;
  for (const TableRow& r : rows_) {
    if (r.count >= 0) functions.emplace_back(r.name, r.types);
  }
  return functions;
}

bool HostEmulator::printInline(const std::string& text) {
  if (!printPartial) return false;
  printPartial(text);
  return true;
}

const LeadBytes& HostEmulator::leadBytes() const { return AnsiLeadBytes(); }

void HostEmulator::attach() {
  g_active = this;
  std::vector<uint8_t> raw(sizeof(DispatchRecord) + 64, 0);
  auto* r = reinterpret_cast<DispatchRecord*>(raw.data());
  r->operation = kOpAttach;
  r->word0 = Address(handleTable());
  r->word4 = Address(slotTable());
  r->function = callbackAddress();
  dispatch(*r);
  readTable(r->word0);
}

void HostEmulator::readTable(uint32_t address) {
  auto* header = Pointer<FunctionTableHeader>(address);
  if (!header) return;
  auto* entries = Pointer<FunctionEntry>(header->firstEntry);
  for (uint16_t i = 0; i < header->rows; ++i) {
    TableRow row;
    row.name = Pointer<const char>(entries[i].name);
    row.count = entries[i].count;
    row.types = Pointer<const char>(entries[i].types);
    row.entry = entries[i].entryPoint;
    rows_.push_back(row);
  }
}

int HostEmulator::dispatch(DispatchRecord& record) {
  g_active = this;
  return dispatch_ ? dispatch_(&record) : 0;
}

const TableRow* HostEmulator::row(const std::string& name) const {
  std::string key = UpperCase(name);
  for (const TableRow& r : rows_) {
    if (UpperCase(r.name) == key) return &r;
  }
  return nullptr;
}

uint32_t HostEmulator::allocBlock(const std::string& bytes, uint16_t tag) {
  DispatchRecord r{};
  r.operation = kOpAlloc;
  r.word0 = static_cast<uint32_t>(bytes.size());
  r.word4 = tag;
  dispatch(r);
  uint32_t handle = r.word0;
  if (handle && !bytes.empty()) {
    DispatchRecord a{};
    a.operation = kOpAddress;
    a.word0 = handle;
    dispatch(a);
    std::memcpy(Pointer<char>(a.word0), bytes.data(), bytes.size());
  }
  return handle;
}

void HostEmulator::freeBlock(uint32_t handle) {
  DispatchRecord r{};
  r.operation = kOpFree;
  r.word0 = handle;
  dispatch(r);
}

std::string HostEmulator::blockText(uint32_t handle, uint32_t length) {
  DispatchRecord a{};
  a.operation = kOpAddress;
  a.word0 = handle;
  dispatch(a);
  const char* p = Pointer<const char>(a.word0);
  return p ? std::string(p, length) : std::string();
}

HostValue HostEmulator::toHostValue(const Value& v) {
  HostValue h{};
  switch (v.kind) {
    case Value::Kind::Char:
      h.type = kTypeChar;
      h.length = static_cast<uint32_t>(v.text.size());
      h.handle = allocBlock(v.text);
      break;
    case Value::Kind::Int:
      h.type = kTypeInt;
      h.width = v.width;
      h.integer = v.integer;
      break;
    case Value::Kind::Number:
      h.type = kTypeNumber;
      h.width = v.width;
      h.number = v.number;
      break;
    case Value::Kind::Logical:
      h.type = kTypeLogical;
      h.length = v.logical ? 1 : 0;
      break;
    default: h.type = kTypeLogical; break;
  }
  return h;
}

Value HostEmulator::fromHostValue(const HostValue& h, bool handedOver) {
  switch (h.type) {
    case kTypeChar:
    case kTypeHandedText: {
      Value v = Value::Text(blockText(h.handle, h.length));
      if (handedOver) freeBlock(h.handle);
      return v;
    }
    case kTypeInt: return Value::Int(h.integer, h.width);
    case kTypeNumber: return Value::Num(h.number, h.width);
    case kTypeLogical: return Value::Bool(h.length != 0);
    default: return Value{};
  }
}

uint32_t HostEmulator::nameIndex(const std::string& name) {
  std::string key = UpperCase(name);
  auto it = std::find(nameTable_.begin(), nameTable_.end(), key);
  if (it != nameTable_.end()) return static_cast<uint32_t>(it - nameTable_.begin());
  nameTable_.push_back(key);
  return static_cast<uint32_t>(nameTable_.size() - 1);
}

Variable* HostEmulator::variableById(uint32_t id) {
  if (id >= nameTable_.size()) return nullptr;
  auto it = variables_.find(nameTable_[id]);
  return it == variables_.end() ? nullptr : &it->second;
}

Variable& HostEmulator::declare(const std::string& name) {
  nameIndex(name);
  Variable& v = variables_[UpperCase(name)];
  v.name = UpperCase(name);
  return v;
}

void HostEmulator::setVariable(const std::string& name, Value value) {
  Variable& v = declare(name);
  v.isArray = false;
  v.array = Array{};
  v.scalar = std::move(value);
}

void HostEmulator::setArray(const std::string& name, Array array) {
  Variable& v = declare(name);
  v.isArray = true;
  v.array = std::move(array);
}

Variable* HostEmulator::variable(const std::string& name) {
  auto it = variables_.find(UpperCase(name));
  return it == variables_.end() ? nullptr : &it->second;
}

void HostEmulator::removeVariable(const std::string& name) { variables_.erase(UpperCase(name)); }

std::vector<const Variable*> HostEmulator::variables() const {
  std::vector<const Variable*> list;
  for (const auto& entry : variables_) list.push_back(&entry.second);
  return list;
}

CallResult HostEmulator::runHook(const std::string& name) {
  const TableRow* r = row(name);
  if (!r) {
    CallResult missing;
    missing.error = kErrorNotFound;
    return missing;
  }
  return invoke(r->entry, r->name, {}, r);
}

CallResult HostEmulator::call(const std::string& name, const std::vector<Arg>& args) {
  const TableRow* r = row(name);
  if (!r || r->count < 0) {
    CallResult missing;
    missing.error = kErrorNotFound;
    return missing;
  }
  return invoke(r->entry, r->name, args, r);
}

CallResult HostEmulator::invoke(uint32_t entry, const std::string& name, const std::vector<Arg>& args,
                                const TableRow* row) {
  g_active = this;
  const bool outermost = frames_.empty();
  std::vector<uint32_t> before;
  if (outermost) {
    HandleTable* t = handleTable();
    before.assign(t->entries, t->entries + t->capacity);
  }

  // The parameter block follows the record's fixed 36 bytes.
  std::vector<uint8_t> raw(36 + 2 + 36 * (args.size() + 1), 0);
  auto* record = reinterpret_cast<DispatchRecord*>(raw.data());
  auto* block = reinterpret_cast<ParamBlock*>(record->arguments);
  block->count = static_cast<uint16_t>(args.size());

  // Like the host, refuse more arguments than the row declares, or fewer
  // than its required (unmarked) leading parameters.
  CallResult failed;
  if (row && row->count >= 0) {
    int required = 0;
    for (char c : row->types) {
      if (c == '.') break;
      required += std::isalpha(static_cast<unsigned char>(c)) || c == '?';
    }
    int given = static_cast<int>(args.size());
    if (given > row->count || given < required) failed.error = kErrorArguments;
  }

  std::vector<uint32_t> paramBlocks;
  for (size_t i = 0; i < args.size() && failed.error == 0; ++i) {
    HostValue& slot = block->values[i];
    char letter = 0;
    if (row) {
      int seen = 0;
      for (char c : row->types) {
        if (std::isalpha(static_cast<unsigned char>(c)) || c == '?') {
          if (seen++ == static_cast<int>(i)) letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        }
      }
    }
    const Arg& a = args[i];
    if (!a.byRef.empty()) {
      Variable* v = variable(a.byRef);
      if (!v) {
        failed.error = kErrorNoVariable;
        break;
      }
      MarkRef(reinterpret_cast<HostVarRef&>(slot), nameIndex(a.byRef));
      continue;
    }
    if (letter == 'R') {
      failed.error = kErrorArguments;
      break;
    }
    Value v = a.value;
    // A date is no type the library takes.
    if (v.kind == Value::Kind::Date) {
      failed.error = kErrorArguments;
      break;
    }
    // The host converts numbers to the kind the type string asks for.
    if (letter == 'I' && v.kind == Value::Kind::Number) {
      // A number outside the integer range does not fit an I parameter.
      if (!(v.number > -2147483649.0 && v.number < 2147483648.0)) {
        failed.error = kErrorArguments;
        break;
      }
      v = Value::Int(static_cast<int32_t>(v.number));
    }
    if (letter == 'N' && v.kind == Value::Kind::Int) v = Value::Num(v.integer);
    bool fits = letter == 0 || letter == '?' || (letter == 'C' && v.kind == Value::Kind::Char) ||
                (letter == 'I' && v.kind == Value::Kind::Int) || (letter == 'N' && v.kind == Value::Kind::Number) ||
                (letter == 'L' && v.kind == Value::Kind::Logical);
    if (!fits) {
      failed.error = kErrorArguments;
      break;
    }
    slot = toHostValue(v);
    if (slot.type == kTypeChar) paramBlocks.push_back(slot.handle);
  }

  CallResult result;
  if (failed.error == 0) {
    frames_.push_back(Frame{});
    record->operation = kOpCallParams;
    record->function = entry;
    dispatch(*record);
    result = frames_.back().result;
    frames_.pop_back();
  } else {
    result = failed;
  }

  // Parameter blocks go back to the host; none may still be locked.
  for (uint32_t h : paramBlocks) {
    HGLOBAL g = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(handleTable()->entries[h]));
    if (g && (GlobalFlags(g) & GMEM_LOCKCOUNT) != 0) {
      result.audit.push_back(name + ": parameter block " + std::to_string(h) + " left locked");
    }
    freeBlock(h);
  }
  if (outermost) auditAfterCall(std::move(before), result);
  for (const std::string& finding : result.audit) auditHandler()(finding);
  (void)name;
  return result;
}

void HostEmulator::auditAfterCall(std::vector<uint32_t> before, CallResult& result) {
  HandleTable* t = handleTable();
  for (uint16_t i = 1; i < t->capacity; ++i) {
    uint32_t entry = t->entries[i];
    if (entry == 0 || (i < before.size() && before[i] == entry)) continue;
    HGLOBAL g = reinterpret_cast<HGLOBAL>(static_cast<uintptr_t>(entry));
    unsigned locks = GlobalFlags(g) & GMEM_LOCKCOUNT;
    result.audit.push_back("handle " + std::to_string(i) + " left allocated" + (locks ? " and locked" : ""));
    while (GlobalUnlock(g)) {
    }
    freeBlock(i);
  }
}

void HostEmulator::serve(ServiceRecord& r) {
  serviceLog.push_back(r.operation);
  if (serviceHook && serviceHook(r)) return;
  CallResult* current = frames_.empty() ? nullptr : &frames_.back().result;
  switch (r.operation) {
    case kReturnValue: {
      const HostValue& h = *Pointer<HostValue>(r.arg1);
      if (current) {
        ++current->returns;
        current->rawType = static_cast<char>(h.type);
        current->value = fromHostValue(h, h.type == kTypeHandedText);
      } else if (h.type == kTypeHandedText) {
        freeBlock(h.handle);
      }
      break;
    }
    case kNewVariable: {
      const char* name = Pointer<const char>(r.arg1);
      auto& ref = *Pointer<HostVarRef>(r.arg2);
      Array a;
      a.rows = ref.row;
      a.columns = ref.subscripts >= 2 ? ref.column : 0;
      a.cells.assign(static_cast<size_t>(a.rows) * a.width(), Value::Bool(false));
      if (a.rows == 0) {
        r.arg1 = static_cast<uint32_t>(-kErrorSubscript);
        break;
      }
      setArray(name, std::move(a));
      MarkRef(ref, nameIndex(name));
      r.arg1 = 0;
      break;
    }
    case kReleaseVariable: {
      if (r.arg1 < nameTable_.size()) variables_.erase(nameTable_[r.arg1]);
      r.arg1 = 0;
      break;
    }
    case kStoreValue: {
      auto& ref = *Pointer<HostVarRef>(r.arg1);
      const HostValue& h = *Pointer<HostValue>(r.arg2);
      uint32_t id = 0;
      Variable* v = RefId(ref, &id) ? variableById(id) : nullptr;
      if (!v) {
        r.arg1 = static_cast<uint32_t>(-kErrorNoVariable);
        break;
      }
      Value value = fromHostValue(h, false);
      if (ref.subscripts == 0) {
        v->isArray = false;
        v->scalar = value;
      } else {
        Value* cell = v->isArray ? v->array.at(ref.row, ref.subscripts >= 2 ? ref.column : 1) : nullptr;
        if (!cell) {
          r.arg1 = static_cast<uint32_t>(-kErrorSubscript);
          break;
        }
        *cell = value;
      }
      r.arg1 = 0;
      break;
    }
    case kLoadValue: {
      auto& ref = *Pointer<HostVarRef>(r.arg1);
      HostValue& out = *Pointer<HostValue>(r.arg2);
      uint32_t id = 0;
      Variable* v = RefId(ref, &id) ? variableById(id) : nullptr;
      const Value* value = nullptr;
      if (v) value = v->isArray ? v->array.at(ref.row ? ref.row : 1, ref.column ? ref.column : 1) : &v->scalar;
      out = value ? toHostValue(*value) : HostValue{};
      break;
    }
    case kCurrentWindowId: r.arg1 = 1; break;
    case kFallbackWindowId: r.arg1 = 2; break;
    case kPlatformWindowOf: r.arg1 = r.arg1 == 1 ? mainWindow : r.arg1 == 2 ? fallbackWindow : 0; break;
    case kExecuteCommand: {
      std::string line = Pointer<const char>(r.arg1);
      commands.push_back(line);
      if (!(commandHook && commandHook(line))) interpreter_->run(line);
      break;
    }
    case kEvaluateExpr: {
      HostValue& out = *Pointer<HostValue>(r.arg1);
      std::string expression = Pointer<const char>(r.arg2);
      try {
        out = toHostValue(interpreter_->evaluate(expression));
      } catch (const HostError& e) {
        if (current && current->error == 0) current->error = e.number;
        r.operation = kRaiseError;
      }
      break;
    }
    case kRaiseError:
    case kRaiseErrorAlt:
      if (current && current->error == 0) current->error = static_cast<int>(r.arg1);
      break;
    case kFindVariable: {
      Variable* v = variableById(r.arg1);
      if (v) MarkRef(*Pointer<HostVarRef>(r.arg3), r.arg1);
      r.arg1 = v ? 1 : 0;
      break;
    }
    case kNameTableIndex: {
      std::string key = UpperCase(Pointer<const char>(r.arg1));
      auto it = std::find(nameTable_.begin(), nameTable_.end(), key);
      r.arg1 = it == nameTable_.end() ? static_cast<uint32_t>(-1) : static_cast<uint32_t>(it - nameTable_.begin());
      break;
    }
    default: break;
  }
}

}  // namespace larch::host
