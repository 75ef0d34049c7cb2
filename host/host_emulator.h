// The host's half of the binary interface, for tests and tools: it loads a
// library by path, owns the handle and slot tables, answers every service
// the library requests, and calls published functions by name exactly as
// the real host would. After every call it audits the handle table.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bridge/records.h"
#include "shell_host.h"
#include "value.h"

namespace larch::host {

class Interpreter;

// How the host's call-back is declared; the library must serve all three.
enum class Convention { Cdecl, Stdcall, Fastcall };

struct TableRow {
  std::string name;
  int16_t count = 0;
  std::string types;
  uint32_t entry = 0;
};

struct HostOptions {
  std::string library;  // path of the library; empty: none loaded yet
  Convention convention = Convention::Cdecl;
  uint16_t handleCapacity = 4096;
  uint16_t slotCapacity = 64;
  bool runOnLoad = true;  // run the load hook right after attaching
  Value screenTag = Value::Text("");
};

// The library next to the running executable.
std::string DefaultLibraryPath();

class HostEmulator : public ShellHost {
 public:
  explicit HostEmulator(HostOptions options = DefaultOptions());
  ~HostEmulator() override;
  HostEmulator(const HostEmulator&) = delete;
  HostEmulator& operator=(const HostEmulator&) = delete;

  static HostOptions DefaultOptions();

  // Loads a library (replacing any loaded one), attaches and runs its load
  // hook. Returns false with a message when it cannot; the library loaded
  // before then stays loaded.
  bool load(const std::string& path, std::string* error = nullptr);
  // Runs the release hook and unloads the library.
  void unload();
  bool loaded() const { return module_ != nullptr; }
  HMODULE module() const { return module_; }

  // Calls a published function by name (letter case ignored). A missing
  // function gives error 1 ("not found"); wrong argument kinds give 11.
  CallResult call(const std::string& name, const std::vector<Arg>& args = {});
  // Runs the load or release hook.
  CallResult runHook(const std::string& name);

  const std::vector<TableRow>& rows() const { return rows_; }
  const TableRow* row(const std::string& name) const;

  // Variables, by name (letter case ignored).
  void setVariable(const std::string& name, Value value) override;
  void setArray(const std::string& name, Array array) override;
  Variable* variable(const std::string& name) override;
  void removeVariable(const std::string& name) override;
  std::vector<const Variable*> variables() const override;

  // What the command interpreter asks of its host.
  Value& screenTagValue() override { return screenTag; }
  bool hasFunction(const std::string& name) const override;
  CallResult callFunction(const std::string& name, const std::vector<Arg>& args) override { return call(name, args); }
  bool loadLibrary(const std::string& path, std::string* error) override { return load(path, error); }
  void releaseLibrary() override { unload(); }
  std::string libraryPath() const override { return libraryPath_; }
  std::string programFolder() const override;
  std::vector<std::pair<std::string, std::string>> libraryFunctions() const override;
  void printLine(const std::string& line) override { print(line); }
  bool printInline(const std::string& text) override;
  const LeadBytes& leadBytes() const override;

  Value screenTag;                    // _screen.tag
  std::vector<std::string> commands;  // every command line the library ran
  // Tried first for each command line the library runs; true: handled.
  std::function<bool(const std::string&)> commandHook;
  // Where `?` output goes (the interpreter prints through it).
  std::function<void(const std::string&)> print;
  // Where `??` output goes, text that continues the line; when empty, it
  // reaches `print` with the rest of its line.
  std::function<void(const std::string&)> printPartial;
  // Platform windows of the host's two window identifiers.
  uint32_t mainWindow = 0;
  uint32_t fallbackWindow = 0;
  // Operation codes of every service request, in order.
  std::vector<uint32_t> serviceLog;
  // Tried first for every service request; true: answered.
  std::function<bool(ServiceRecord&)> serviceHook;

  Interpreter& interpreter() { return *interpreter_; }

  // Raw access for tests of the bridge itself.
  int dispatch(DispatchRecord& record);
  HandleTable* handleTable() { return reinterpret_cast<HandleTable*>(handleMemory_.data()); }
  SlotTable* slotTable() { return reinterpret_cast<SlotTable*>(slotMemory_.data()); }
  uint32_t callbackAddress() const;
  // Handle blocks at the host's request (DispatchAPI operations 2, 4, 6).
  uint32_t allocBlock(const std::string& bytes, uint16_t tag = 1);
  void freeBlock(uint32_t handle);
  std::string blockText(uint32_t handle, uint32_t length);

  // Answers one service request (called from the call-back).
  void serve(ServiceRecord& record);

  // Called with a description of each audit finding; tests make it a failure.
  static std::function<void(const std::string&)>& auditHandler();

 private:
  struct Frame {
    CallResult result;
  };

  CallResult invoke(uint32_t entry, const std::string& name, const std::vector<Arg>& args, const TableRow* row);
  void readTable(uint32_t header);
  void attach();
  HostValue toHostValue(const Value& v);
  Value fromHostValue(const HostValue& v, bool handedOver);
  Variable* variableById(uint32_t id);
  // The variable of that name, made known to the name table.
  Variable& declare(const std::string& name);
  uint32_t nameIndex(const std::string& name);
  void auditAfterCall(std::vector<uint32_t> before, CallResult& result);

  HMODULE module_ = nullptr;
  std::string libraryPath_;
  HostOptions options_;
  using DispatchFn = int(__fastcall*)(DispatchRecord*);
  DispatchFn dispatch_ = nullptr;
  std::vector<uint8_t> handleMemory_;
  std::vector<uint8_t> slotMemory_;
  std::vector<TableRow> rows_;
  std::map<std::string, Variable> variables_;  // key: upper-case name
  std::vector<std::string> nameTable_;         // upper-case names by index
  std::vector<Frame> frames_;
  std::unique_ptr<Interpreter> interpreter_;
};

// Error messages as the host shows them (interpreter.cpp).
std::string HostErrorMessage(int number);

}  // namespace larch::host
