// A host without Windows for the interpreter: variables and _screen.tag in
// memory, no library, nothing printed; files as the interpreter reads them. The interpreter's
// tests and fuzz target build their stand-in hosts on it.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell_host.h"

namespace larch::host {

class MemoryShellHost : public ShellHost {
 public:
  explicit MemoryShellHost(LeadBytes leads = LeadBytes::gbk()) : leads_(leads) {}

  Variable* variable(const std::string& name) override {
    auto it = variables_.find(UpperCase(name));
    return it == variables_.end() ? nullptr : &it->second;
  }
  void setVariable(const std::string& name, Value value) override {
    Variable& v = declare(name);
    v.isArray = false;
    v.array = Array{};
    v.scalar = std::move(value);
  }
  void setArray(const std::string& name, Array array) override {
    Variable& v = declare(name);
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
  bool loadLibrary(const std::string&, std::string* error) override {
    *error = "no library in this host";
    return false;
  }
  void releaseLibrary() override {}
  std::string libraryPath() const override { return ""; }
  std::string programFolder() const override { return ""; }
  void printLine(const std::string&) override {}
  const LeadBytes& leadBytes() const override { return leads_; }

 private:
  Variable& declare(const std::string& name) {
    Variable& v = variables_[UpperCase(name)];
    v.name = UpperCase(name);
    return v;
  }

  LeadBytes leads_;
  std::map<std::string, Variable> variables_;
  Value tag_ = Value::Text("");
};

}  // namespace larch::host
