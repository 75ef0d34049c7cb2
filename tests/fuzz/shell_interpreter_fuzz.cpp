// Command lines of any bytes through the shell's interpreter: never a
// crash, a hang or a read past the text. The host keeps variables in
// memory, has no library and touches no file.
#include "../../host/interpreter.cpp"
#include "../../host/value.cpp"

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

namespace {

using namespace larch::host;

class FuzzHost : public ShellHost {
 public:
  Variable* variable(const std::string& name) override {
    auto it = variables_.find(UpperCase(name));
    return it == variables_.end() ? nullptr : &it->second;
  }
  void setVariable(const std::string& name, Value value) override {
    Variable& v = variables_[UpperCase(name)];
    v.name = UpperCase(name);
    v.isArray = false;
    v.array = Array{};
    v.scalar = std::move(value);
  }
  void setArray(const std::string& name, Array array) override {
    Variable& v = variables_[UpperCase(name)];
    v.name = UpperCase(name);
    v.isArray = true;
    v.array = std::move(array);
  }
  void removeVariable(const std::string& name) override { variables_.erase(UpperCase(name)); }
  std::vector<const Variable*> variables() const override {
    std::vector<const Variable*> list;
    for (const auto& entry : variables_) list.push_back(&entry.second);
    return list;
  }
  Value& screenTagValue() override { return tag_; }
  bool hasFunction(const std::string&) const override { return false; }
  CallResult callFunction(const std::string&, const std::vector<Arg>&) override { return {}; }
  bool loadLibrary(const std::string&, std::string*) override { return false; }
  void releaseLibrary() override {}
  std::string libraryPath() const override { return ""; }
  std::string programFolder() const override { return ""; }
  void printLine(const std::string&) override {}
  bool readFile(const std::string&, std::string*, bool*) override { return false; }
  bool writeFile(const std::string&, const std::string&, bool) override { return false; }
  const larch::LeadBytes& leadBytes() const override { return leads_; }

 private:
  larch::LeadBytes leads_ = larch::LeadBytes::Gbk();
  std::map<std::string, Variable> variables_;
  Value tag_ = Value::Text("");
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzHost host;
  Interpreter shell(host);
  // A few lines that leave variables and arrays for the input to use.
  shell.feed("DIMENSION a(2, 2)");
  shell.feed("s = \"text\"");
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t start = 0;
  while (start <= input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    if (!shell.feed(input.substr(start, end - start))) break;
    start = end + 1;
  }
  shell.finish();
  return 0;
}
