// A small interpreter of the host's command language: enough to try the
// library by hand and to run the command lines the library sends.
//   ? expr[, expr]           print values
//   name = expr              assign (also _screen.tag and name[r,c])
//   SET LIBRARY TO path      load a library
//   DIMENSION name(r[,c])    create an array of .F.
//   RELEASE name[, name]     remove variables
//   DISPLAY MEMORY           list variables
//   = expr / expr            evaluate a call for its effect
// Expressions: "text", 'text', [text], integers, numbers, .T./.F., variables,
// array elements name[r,c] or name(r,c), + and -, comparisons (= == <> != #
// < > <= >=) and $ (contained in), library calls with
// @name for by-reference arguments, and LEN(), CHR(), ALEN(), LOWER(),
// UPPER(), RIGHT().
#pragma once

#include <string>

#include "value.h"

namespace larch::host {

class HostEmulator;

// A host error raised while running or evaluating.
struct HostError {
  int number;
};

class Interpreter {
 public:
  explicit Interpreter(HostEmulator& host) : host_(host) {}

  // Runs one command line; errors are printed as the host prints them.
  void run(const std::string& line);
  // Evaluates an expression; throws HostError.
  Value evaluate(const std::string& expression);

 private:
  void execute(const std::string& line);
  void displayMemory();
  HostEmulator& host_;
};

}  // namespace larch::host
