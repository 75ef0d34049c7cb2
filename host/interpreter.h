// An interpreter of the host's command language, as typed into its command
// window: enough to try the library by hand, to run the command lines the
// library sends, and to run scripts of such lines.
//
// Commands:
//   ? expr[, expr]           print values on a new line; ?? continues the line
//   name = expr              assign (also _screen.tag, name[r,c], name(r,c));
//                            assigning to a whole array fills every element
//   STORE expr TO a[, b]     assign one value to several variables
//   = expr / fn(...)         evaluate for the effect
//   SET LIBRARY TO [path [ADDITIVE]]   load a library; with no path, unload
//   RELEASE LIBRARY path     unload the library
//   DIMENSION name(r[,c])    create (or resize) an array; DECLARE too
//   PUBLIC / LOCAL / PRIVATE name[, ...]   declare variables as .F.
//   RELEASE name[, ...] / RELEASE ALL
//   DISPLAY MEMORY / LIST MEMORY
//   CLEAR                    nothing to clear here
//   * text, NOTE text, && text: comments; a line ending in ';' continues
// Expressions: "text", 'text', [text], numbers, .T./.F., variables, array
// elements, _screen.tag; ^ and **, * / %, + - (text too), comparisons
// (= == <> != # < > <= >= $), NOT AND OR (also .NOT. .AND. .OR. and !);
// parentheses; library calls with @name for a variable by reference; and
// the host functions LEN CHR ASC ALEN LOWER UPPER LEFT RIGHT SUBSTR STR VAL
// INT ROUND ABS MOD MAX MIN ALLTRIM LTRIM RTRIM TRIM SPACE REPLICATE AT
// OCCURS STUFF VARTYPE TYPE IIF EMPTY FILETOSTR STRTOFILE.
#pragma once

#include <string>

#include "shell_host.h"
#include "value.h"

namespace larch::host {

// A host error raised while running or evaluating. `message`, when set, is
// the whole text shown (one that names what was not found).
struct HostError {
  int number;
  std::string message;
};

// Error messages as the host shows them.
std::string HostErrorMessage(int number);
std::string HostErrorMessage(const HostError& error);

class Interpreter {
 public:
  explicit Interpreter(ShellHost& host) : host_(host) {}

  // Runs one command line; errors are printed as the host prints them.
  void run(const std::string& line);
  // Evaluates an expression; throws HostError.
  Value evaluate(const std::string& expression);

  // Feeds one line of a script or of typed input: comments go, a line
  // ending in ';' waits for the next, and the whole command then runs.
  // Returns false when the line is QUIT.
  bool feed(const std::string& line);
  // Starts a script: errors from here on name it and the line. "" for
  // typed input, whose errors name no line.
  void beginScript(const std::string& name);
  // Ends an unfinished ?? line and drops an unfinished continuation.
  void finish();
  // Whether the last line fed ended in ';'.
  bool continuing() const { return continued_; }
  // How many commands ended in an error.
  int errors() const { return errors_; }

 private:
  void execute(const std::string& line);
  void displayMemory();
  void setLibrary(const std::string& rest);
  void releaseLibrary(const std::string& rest);
  void printValues(const std::string& list, bool sameLine);
  void emitLine(const std::string& text);
  void assign(const std::string& target, const Value& value);
  void report(const HostError& error);

  ShellHost& host_;
  std::string script_;   // name of the running script, "" for typed input
  int lineNumber_ = 0;   // lines fed since the script began
  int commandLine_ = 0;  // line where the running command began
  std::string pending_;  // a command continued with ';'
  bool continued_ = false;
  std::string openLine_;    // ?? output not yet ended by a line break
  bool openShown_ = false;  // the open line is already on the screen
  int errors_ = 0;
};

}  // namespace larch::host
