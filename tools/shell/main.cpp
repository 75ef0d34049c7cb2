// larch-shell: a command window in the host's own language, for trying the
// library without the host. Runs the script files given as arguments, or
// reads commands from standard input (with a prompt when a person types).
//
// Text crosses the shell's edge in the terminal's encoding (UTF-8): typed
// lines and scripts are converted to the host's ANSI code page before they
// run, and output back. --raw passes bytes through unchanged.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host_emulator.h"
#include "interpreter.h"

namespace {

const char kUsage[] =
    "usage: larch-shell [--raw] [--echo] [--keep-going] [--prompt] [--help] [script ...]\n"
    "\n"
    "Runs commands of the host's language against larch.dll: the lines of each\n"
    "script in turn, or lines typed at the prompt when no script is given\n"
    "(\"-\" reads standard input). Load the library with SET LIBRARY TO larch.dll.\n"
    "End with QUIT, or with Ctrl-D (Ctrl-Z then Enter in a Windows console).\n"
    "A script stops at its first error, which names the script and the line,\n"
    "and the shell then exits with status 1; lines read from standard input\n"
    "are a session: an error is reported and the next line runs.\n"
    "HELP name shows a library function's line of the quick reference.\n"
    "\n"
    "  --raw         pass text through as bytes of the ANSI code page; by default\n"
    "                input and output are UTF-8 and converted at the edge (a line\n"
    "                that is not UTF-8 is taken as it stands)\n"
    "  --echo        print each command line, after \". \", before its output\n"
    "  --keep-going  a script goes on after an error (the exit status is still 1)\n"
    "  --prompt      prompt for each line even when standard input is not a\n"
    "                terminal (scripts/shell.sh passes the terminal's lines on)\n"
    "  --help        print this text\n";

// Text between the terminal (UTF-8) and the host's ANSI code page.
std::wstring Widen(const std::string& bytes, UINT codePage, bool* valid) {
  if (valid) *valid = true;
  if (bytes.empty()) return {};
  DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
  int n = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  if (n <= 0) {
    if (valid) *valid = false;
    return {};
  }
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
  return wide;
}

std::string Narrow(const std::wstring& wide, UINT codePage) {
  if (wide.empty()) return {};
  int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], n, nullptr, nullptr);
  return bytes;
}

class Terminal {
 public:
  explicit Terminal(bool raw) : raw_(raw) {
    in_ = GetStdHandle(STD_INPUT_HANDLE);
    out_ = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    inConsole_ = in_ != INVALID_HANDLE_VALUE && GetConsoleMode(in_, &mode);
    outConsole_ = out_ != INVALID_HANDLE_VALUE && GetConsoleMode(out_, &mode);
    interactive_ = inConsole_ || (in_ != INVALID_HANDLE_VALUE && GetFileType(in_) == FILE_TYPE_CHAR);
  }

  bool interactive() const { return interactive_; }

  // A line of input as the host's code page has it.
  std::string fromTerminal(const std::string& line) const {
    if (raw_) return line;
    bool valid = true;
    std::wstring wide = Widen(line, CP_UTF8, &valid);
    return valid ? Narrow(wide, CP_ACP) : line;
  }

  // Writes text of the host's code page, at once.
  void write(const std::string& text) {
    if (text.empty()) return;
    if (outConsole_) {
      std::wstring wide = Widen(text, CP_ACP, nullptr);
      DWORD done = 0;
      WriteConsoleW(out_, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
      return;
    }
    std::string bytes = raw_ ? text : Narrow(Widen(text, CP_ACP, nullptr), CP_UTF8);
    DWORD done = 0;
    WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  }

  // Reads one line of standard input without its line break; false at the
  // end of input (end of file, or Ctrl-D / Ctrl-Z at the start of a line).
  bool readLine(std::string* line) {
    if (inConsole_) return readConsoleLine(line);
    line->clear();
    for (;;) {
      if (next_ == buffer_.size()) {
        char chunk[4096];
        DWORD got = 0;
        if (!ReadFile(in_, chunk, sizeof chunk, &got, nullptr) || got == 0) {
          if (line->empty()) return false;
          break;
        }
        buffer_.assign(chunk, got);
        next_ = 0;
      }
      size_t end = buffer_.find('\n', next_);
      if (end == std::string::npos) {
        line->append(buffer_, next_, std::string::npos);
        next_ = buffer_.size();
        continue;
      }
      line->append(buffer_, next_, end - next_);
      next_ = end + 1;
      break;
    }
    if (!line->empty() && line->back() == '\r') line->pop_back();
    if (!line->empty() && ((*line)[0] == '\x04' || (*line)[0] == '\x1a')) return false;
    *line = fromTerminal(*line);
    return true;
  }

 private:
  bool readConsoleLine(std::string* line) {
    std::wstring wide;
    for (;;) {
      wchar_t c[256];
      DWORD got = 0;
      if (!ReadConsoleW(in_, c, 256, &got, nullptr) || got == 0) {
        if (wide.empty()) return false;
        break;
      }
      wide.append(c, got);
      if (wide.back() == L'\n') break;
    }
    while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r')) wide.pop_back();
    if (!wide.empty() && (wide[0] == 0x04 || wide[0] == 0x1a)) return false;
    *line = Narrow(wide, CP_ACP);
    return true;
  }

  bool raw_;
  HANDLE in_ = INVALID_HANDLE_VALUE;
  HANDLE out_ = INVALID_HANDLE_VALUE;
  bool inConsole_ = false;
  bool outConsole_ = false;
  bool interactive_ = false;
  std::string buffer_;
  size_t next_ = 0;
};

struct Options {
  bool raw = false;
  bool echo = false;
  bool keepGoing = false;
  bool prompt = false;
  std::vector<std::string> scripts;
};

// Feeds one line; false when the shell is to end.
bool Feed(larch::host::Interpreter& shell, Terminal& terminal, const Options& options, const std::string& line) {
  if (options.echo) terminal.write(". " + line + "\n");
  return shell.feed(line);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--help" || a == "-h" || a == "/?") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (a == "--raw") {
      options.raw = true;
    } else if (a == "--echo") {
      options.echo = true;
    } else if (a == "--keep-going") {
      options.keepGoing = true;
    } else if (a == "--prompt") {
      options.prompt = true;
    } else if (a.size() > 1 && a[0] == '-' && a != "-") {
      std::fprintf(stderr, "larch-shell: unknown option %s (see --help)\n", a.c_str());
      return 2;
    } else {
      options.scripts.push_back(a);
    }
  }
  if (options.scripts.empty()) options.scripts.push_back("-");

  Terminal terminal(options.raw);
  larch::host::HostOptions hostOptions;  // no library until SET LIBRARY TO
  larch::host::HostEmulator host(hostOptions);
  host.print = [&](const std::string& line) { terminal.write(line + "\n"); };
  host.printPartial = [&](const std::string& text) { terminal.write(text); };
  larch::host::Interpreter& shell = host.interpreter();
  shell.setStopOnError(!options.keepGoing);
  // Included files are converted as scripts are; the quick reference is
  // UTF-8 whatever --raw says.
  shell.sourceText = [&](const std::string& bytes) { return terminal.fromTerminal(bytes); };
  shell.utf8Text = [](const std::string& text) {
    bool valid = true;
    std::wstring wide = Widen(text, CP_UTF8, &valid);
    return valid ? Narrow(wide, CP_ACP) : text;
  };

  int status = 0;
  for (const std::string& script : options.scripts) {
    if (script == "-") {
      // Standard input is a session: errors are reported and it goes on.
      shell.beginScript("");
      const bool prompt = options.prompt || terminal.interactive();
      std::string line;
      for (;;) {
        if (prompt) terminal.write(shell.continuing() ? ".. " : ". ");
        if (!terminal.readLine(&line)) {
          if (prompt) terminal.write("\n");
          break;
        }
        if (!Feed(shell, terminal, options, line)) {
          shell.finish();
          return status;
        }
      }
      shell.finish();
      continue;
    }
    std::ifstream file(script, std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "larch-shell: cannot open %s\n", script.c_str());
      return 2;
    }
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    const int errorsBefore = shell.errors();
    shell.beginScript(script.substr(script.find_last_of("\\/") + 1), script);
    size_t start = 0;
    bool more = true;
    while (more && start < text.size()) {
      size_t end = text.find('\n', start);
      std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      start = end == std::string::npos ? text.size() : end + 1;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      more = Feed(shell, terminal, options, terminal.fromTerminal(line));
    }
    shell.finish();
    // A script that had an error fails the run, stopped or not.
    if (shell.errors() > errorsBefore) status = 1;
    if (shell.stopped()) return 1;
    if (!more) return status;  // QUIT
  }
  return status;
}
