// An interpreter of the host's command language, as typed into its command
// window or written in a program: enough to try the library by hand, to run
// the command lines the library sends, and to run scripts of such lines.
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
//   DISPLAY MEMORY / LIST MEMORY, DISPLAY STATUS / LIST STATUS
//   HELP [function]          the function's line of the quick reference
//   CLEAR                    nothing to clear here
//   IF / ELSE / ENDIF, DO CASE / CASE / OTHERWISE / ENDCASE,
//   FOR var = a TO b [STEP c] / ENDFOR or NEXT, DO WHILE / ENDDO, EXIT, LOOP
//   #DEFINE NAME text, #UNDEF NAME, #INCLUDE file
//   * text, NOTE text, && text: comments; a line ending in ';' continues
// Expressions: "text", 'text', [text], numbers, .T./.F., variables, array
// elements, _screen.tag; ^ and **, * / %, + - (text and dates too),
// comparisons (= == <> != # < > <= >= $), NOT AND OR (also .NOT. .AND. .OR.
// and !); parentheses; library calls with @name for a variable by
// reference; &name macro substitution; and the host functions LEN CHR ASC
// ALEN ASCAN ALINES LOWER UPPER LEFT RIGHT SUBSTR STR VAL INT ROUND ABS MOD
// MAX MIN ALLTRIM LTRIM RTRIM TRIM SPACE REPLICATE PADL PADR PADC AT OCCURS
// STUFF STRTRAN TRANSFORM INLIST BETWEEN VARTYPE TYPE IIF EMPTY DATE TIME
// DTOC DTOS YEAR MONTH DAY FILETOSTR STRTOFILE.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

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
// The line the shell shows for an error: "Error 11: Function argument
// value, type, or count is invalid."
std::string HostErrorLine(const HostError& error);

// One command of a program and where it was written.
struct Statement {
  std::string text;
  std::string file;  // "" for typed input
  int line = 0;
};
struct Block;  // a structured command, parsed (interpreter.cpp)

class Interpreter {
 public:
  explicit Interpreter(ShellHost& host);
  ~Interpreter();
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Runs one command line; errors are printed as the host prints them.
  void run(const std::string& line);
  // Evaluates an expression; throws HostError.
  Value evaluate(const std::string& expression);

  // Feeds one line of a script or of typed input: comments go, a line
  // ending in ';' waits for the next, a structured command waits for its
  // end, and the whole command then runs. Returns false when the line is
  // QUIT, or when a script stopped at an error (stopped()).
  bool feed(const std::string& line);
  // Starts a script: errors from here on name it and the line; #INCLUDE
  // looks in its folder first. "" for typed input, whose errors name no
  // line. `path` is the script's file, for its folder.
  void beginScript(const std::string& name, const std::string& path = "");
  // Ends an unfinished ?? line and drops an unfinished continuation; an
  // unfinished structured command is an error.
  void finish();
  // Whether the command is not complete yet (a ';' continuation, or a
  // structured command before its end).
  bool continuing() const { return continued_ || !open_.empty(); }
  // How many commands ended in an error.
  int errors() const { return errors_; }

  // A script stops at its first error, as the host stops a program
  // (typed input always goes on). Off by default.
  void setStopOnError(bool stop) { stopOnError_ = stop; }
  bool stopped() const { return stopped_; }
  // The most commands and loop turns one structured command may run; 0 for
  // no limit. A host that must not hang (the fuzz target) sets one.
  void setStepLimit(long limit) { stepLimit_ = limit; }
  // Turns the bytes of an included file into the host's code page (the
  // shell converts UTF-8 as it does for scripts); as they are when unset.
  std::function<std::string(const std::string&)> sourceText;
  // Turns UTF-8 text (the quick reference) into the host's code page.
  std::function<std::string(const std::string&)> utf8Text;

 private:
  void accept(const Statement& statement);
  void directive(const Statement& statement);
  void include(const std::string& name, const Statement& at);
  std::string substituteDefines(const std::string& text) const;
  std::string expandMacros(const std::string& text);
  void runStatement(const Statement& statement);
  void runBlock(const std::vector<Statement>& lines);
  int runBody(const std::vector<std::unique_ptr<Block>>& body);
  void step();
  void execute(const std::string& line);
  void displayMemory();
  void displayStatus();
  void help(const std::string& rest);
  void setLibrary(const std::string& rest);
  void releaseLibrary(const std::string& rest);
  void printValues(const std::string& list, bool sameLine);
  void emitLine(const std::string& text);
  void assign(const std::string& target, const Value& value);
  void report(const HostError& error);
  bool condition(const std::string& expression);

  // A file fed line by line: the script, or a file it includes.
  struct Source {
    std::string name;    // shown in errors; "" for typed input
    std::string folder;  // where #INCLUDE looks first, ending in a separator
    int lineNumber = 0;  // lines fed from it so far
  };

  ShellHost& host_;
  std::vector<Source> sources_;  // the script, then the files it includes
  int commandLine_ = 0;          // line where the command being fed began
  std::string commandFile_;      // and its file
  Statement running_;            // the statement running now, for errors
  std::string pending_;          // a command continued with ';'
  bool continued_ = false;
  std::vector<Statement> open_;                 // a structured command before its end
  int depth_ = 0;                               // structures open in it
  std::map<std::string, std::string> defines_;  // #DEFINE, by upper-case name
  std::string openLine_;                        // ?? output not yet ended by a line break
  bool openShown_ = false;                      // the open line is already on the screen
  int errors_ = 0;
  bool stopOnError_ = false;
  bool stopped_ = false;
  bool quit_ = false;  // QUIT ran inside a structured command
  long stepLimit_ = 0;
  long steps_ = 0;
};

}  // namespace larch::host
