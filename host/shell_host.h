// What the command interpreter needs of the host around it: variables, the
// loaded library's functions, and somewhere to print. The host emulator is
// the real one; a host without Windows can stand in for it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "bridge/dbcs.h"
#include "value.h"

namespace larch::host {

class ShellHost {
 public:
  virtual ~ShellHost() = default;

  // Variables, by name (letter case ignored).
  virtual Variable* variable(const std::string& name) = 0;
  virtual void setVariable(const std::string& name, Value value) = 0;
  virtual void setArray(const std::string& name, Array array) = 0;
  virtual void removeVariable(const std::string& name) = 0;
  virtual std::vector<const Variable*> variables() const = 0;
  // _screen.tag
  virtual Value& screenTagValue() = 0;

  // Functions of the loaded library.
  virtual bool hasFunction(const std::string& name) const = 0;
  virtual CallResult callFunction(const std::string& name, const std::vector<Arg>& args) = 0;
  // Loads a library; on failure the one loaded before stays loaded.
  virtual bool loadLibrary(const std::string& path, std::string* error) = 0;
  // Runs the release hook and unloads the library; nothing when none.
  virtual void releaseLibrary() = 0;
  // Path of the loaded library, "" when none.
  virtual std::string libraryPath() const = 0;
  // Folder tried for a library named without one ("" for none), ending in '\'.
  virtual std::string programFolder() const = 0;
  // Published functions of the loaded library, each with the types of its
  // parameters as the library's table gives them; none when none is loaded.
  virtual std::vector<std::pair<std::string, std::string>> libraryFunctions() const { return {}; }

  // One finished line of output.
  virtual void printLine(const std::string& line) = 0;
  // Text that continues the current line; false when this host can only
  // print whole lines (the interpreter then keeps it for the next line).
  virtual bool printInline(const std::string& text) {
    (void)text;
    return false;
  }

  // Whole files, for FILETOSTR and STRTOFILE: false when the file cannot
  // be read or written. (A file too long for a text reads as false with
  // *tooLong set.)
  virtual bool readFile(const std::string& path, std::string* data, bool* tooLong);
  virtual bool writeFile(const std::string& path, const std::string& data, bool append);
  // Whether a file of that name is there (a library that cannot be loaded
  // is told from a missing one).
  virtual bool fileExists(const std::string& path);

  // Which bytes start a two-byte character in the host's code page.
  virtual const LeadBytes& leadBytes() const = 0;
};

}  // namespace larch::host
