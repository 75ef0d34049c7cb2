// Replaces one imported function of a loaded module for the life of the
// object: tests put a fake in place of a service that the platform lacks
// or that would end the test session.
#pragma once

#include <windows.h>

#include <string>

namespace larch::host {

class ImportPatch {
 public:
  // module: the importing module; dll: the exporting library's name
  // (letter case ignored); function: the imported name.
  ImportPatch(HMODULE module, const std::string& dll, const std::string& function, const void* replacement);
  ~ImportPatch();
  ImportPatch(const ImportPatch&) = delete;
  ImportPatch& operator=(const ImportPatch&) = delete;

  bool active() const { return slot_ != nullptr; }
  // The original function, for fakes that pass some calls through.
  const void* original() const { return original_; }

 private:
  void write(const void* value);
  const void** slot_ = nullptr;
  const void* original_ = nullptr;
};

// Fakes declared in a test are stdcall like the services they replace;
// this turns one into the untyped pointer ImportPatch takes.
template <typename F>
const void* FakeOf(F* function) {
  return reinterpret_cast<const void*>(function);
}

}  // namespace larch::host
