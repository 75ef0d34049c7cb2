// The shell's interpreter over the real host emulator and larch.dll:
// loading and releasing the library by command, and calls that print; and
// the shell program itself, fed through a pipe as a terminal or a script
// would feed it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "interpreter.h"
#include "test_support.h"

namespace larch::test {
namespace {

using Lines = std::vector<std::string>;

class ShellCommands : public testing::Test {
 protected:
  ShellCommands() {
    emu.print = [this](const std::string& line) { printed.push_back(line); };
  }

  Lines Run(const Lines& lines) {
    printed.clear();
    for (const std::string& line : lines) emu.interpreter().feed(line);
    emu.interpreter().finish();
    return printed;
  }

  HostEmulator emu;
  Lines printed;
};

TEST_F(ShellCommands, AFailedLoadKeepsTheLibrary) {
  ASSERT_TRUE(emu.loaded());
  EXPECT_EQ(Run({"SET LIBRARY TO no-such-library.dll", "? LEN(KVGetGUID())"}),
            (Lines{"Error 1: File 'no-such-library.dll' does not exist.", "36"}));
  EXPECT_TRUE(emu.loaded());
}

TEST_F(ShellCommands, ReleasedAndLoadedAgainByCommand) {
  EXPECT_EQ(Run({"SET LIBRARY TO", "? KVGetGUID()"}), (Lines{"Error 1: Function 'KVGETGUID' is not found."}));
  EXPECT_FALSE(emu.loaded());
  EXPECT_EQ(Run({"SET LIBRARY TO larch.dll ADDITIVE", "? LEN(KVGetGUID())"}), (Lines{"36"}));
  EXPECT_TRUE(emu.loaded());
  EXPECT_EQ(Run({"RELEASE LIBRARY larch", "? KVGetGUID()"}), (Lines{"Error 1: Function 'KVGETGUID' is not found."}));
  EXPECT_FALSE(emu.loaded());
}

TEST_F(ShellCommands, CallsWithVariablesByReference) {
  EXPECT_EQ(Run({"s = \"!dlrow ,olleH\"", "KVStrRev(@s)", "? s, LEN(s)", "? KVStrRev(@nosuch)"}),
            (Lines{"Hello, world! 13", "Error 12: Variable 'NOSUCH' is not found."}));
}

TEST_F(ShellCommands, StatusHelpAndAFileThatIsNoLibrary) {
  Lines status = Run({"DISPLAY STATUS"});
  ASSERT_GE(status.size(), 3u);
  EXPECT_EQ(status[0], "Library: " + host::DefaultLibraryPath());
  EXPECT_EQ(status[1], "Functions (140):");
  EXPECT_EQ(status.size(), 142u);
  EXPECT_NE(std::find(status.begin(), status.end(), "   KVCnCharToSpell          C"), status.end());

  // The quick reference lies beside the programs (the build copies it).
  Lines help = Run({"HELP kvcncharToSpell"});
  ASSERT_EQ(help.size(), 1u);
  EXPECT_EQ(help[0].rfind("KVCnCharToSpell(C): C", 0), 0u) << help[0];

  TempDir dir;
  WriteFile(dir.file("notlib.dll"), "just text");
  EXPECT_EQ(Run({"SET LIBRARY TO " + dir.file("notlib.dll"), "? LEN(KVGetGUID())"}),
            (Lines{"Error 1753: File '" + dir.file("notlib.dll") + "' is not a valid library.", "36"}));
  EXPECT_TRUE(emu.loaded());
}

// The shell program beside the tests, its input a pipe fed in pieces and
// its output a pipe.
struct ShellRun {
  DWORD exitCode = STILL_ACTIVE;
  std::string output;
};

ShellRun RunShell(const std::string& arguments, const std::vector<std::string>& pieces,
                  const std::string& directory = "", Caller caller = {}) {
  ShellRun run;
  const std::string folder = host::DefaultLibraryPath().substr(0, host::DefaultLibraryPath().find_last_of('\\') + 1);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueHandle inRead, inWrite, outRead, outWrite;
  if (!CreatePipe(inRead.put(), inWrite.put(), &inherit, 0) ||
      !CreatePipe(outRead.put(), outWrite.put(), &inherit, 0)) {
    ADD_FAILURE_AT(caller.file, caller.line) << "no pipe: " << GetLastError();
    return run;
  }
  SetHandleInformation(inWrite.get(), HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(outRead.get(), HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inRead.get();
  startup.hStdOutput = outWrite.get();
  startup.hStdError = outWrite.get();
  std::string commandLine = "\"" + folder + "larch-shell.exe\" " + arguments;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                      directory.empty() ? nullptr : directory.c_str(), &startup, &info)) {
    ADD_FAILURE_AT(caller.file, caller.line) << "larch-shell.exe did not start: " << GetLastError();
    return run;
  }
  UniqueHandle process(info.hProcess), thread(info.hThread);
  inRead.reset();
  outWrite.reset();
  // Each piece reaches the shell in a read of its own.
  for (const std::string& piece : pieces) {
    DWORD written = 0;
    ::WriteFile(inWrite.get(), piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
    Sleep(30);
  }
  inWrite.reset();
  // Read while the shell runs, and what is left once it has ended: a
  // helper process of the system may hold the pipe's other end long after
  // the shell, so the end of the pipe is not waited for.
  auto drain = [&] {
    DWORD waiting = 0, got = 0;
    char buffer[4096];
    while (PeekNamedPipe(outRead.get(), nullptr, 0, nullptr, &waiting, nullptr) && waiting > 0 &&
           ::ReadFile(outRead.get(), buffer, std::min<DWORD>(waiting, sizeof buffer), &got, nullptr) && got > 0) {
      run.output.append(buffer, got);
    }
  };
  const DWORD started = GetTickCount();
  while (WaitForSingleObject(process.get(), 20) == WAIT_TIMEOUT) {
    drain();
    if (GetTickCount() - started > 60000) {
      ADD_FAILURE_AT(caller.file, caller.line) << "larch-shell.exe did not end within 60 s";
      TerminateProcess(process.get(), 99);
      return run;
    }
  }
  drain();
  GetExitCodeProcess(process.get(), &run.exitCode);
  return run;
}

TEST(ShellProgram, ChineseSplitInsideCharactersArrivesWhole) {
  const std::string input =
      "SET LIBRARY TO larch.dll\n"
      "cName = \"\xE5\x8C\x97\xE4\xBA\xAC\xE5\x8D\x8E\xE8\x81\x94\xE8\xB6\x85\xE5\xB8\x82\"\n"  // 北京华联超市
      "? cName, LEN(cName)\n"
      "? KVCnCharToSpell(\"\xE4\xB8\x8A\xE6\xB5\xB7\")\n";  // 上海
  // Pieces of one, two and three bytes: most cuts fall inside a character.
  std::vector<std::string> pieces;
  for (size_t i = 0, n = 1; i < input.size(); i += n, n = n % 3 + 1) pieces.push_back(input.substr(i, n));
  ShellRun run = RunShell("", pieces);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output,
            "\xE5\x8C\x97\xE4\xBA\xAC\xE5\x8D\x8E\xE8\x81\x94\xE8\xB6\x85\xE5\xB8\x82 12\n"
            "SH\n")
      << Hex(run.output);
  // Output to a pipe is plain text: no terminal control codes.
  EXPECT_EQ(run.output.find('\x1b'), std::string::npos);
}

TEST(ShellProgram, AScriptStopsAtItsFirstErrorAndFails) {
  TempDir dir;
  WriteFile(dir.file("consts.h"), "#DEFINE LIMIT 3\n");
  WriteFile(dir.file("job.prg"),
            "#INCLUDE consts.h\n"
            "SET LIBRARY TO larch.dll\n"
            "n = 0\n"
            "DO WHILE n < LIMIT\n"
            "  n = n + 1\n"
            "ENDDO\n"
            "s = \"cba\"\n"
            "FOR i = 1 TO 2\n"
            "  IF i = 2\n"
            "    KVStrRev(@s)\n"
            "    ? s, n\n"
            "  ENDIF\n"
            "ENDFOR\n"
            "? KVCnCharToSpell(42)\n"
            "? \"not reached\"\n");
  // Run from another folder: the include is found beside the script.
  ShellRun stopped = RunShell("\"" + dir.file("job.prg") + "\"", {});
  EXPECT_EQ(stopped.exitCode, 1u);
  EXPECT_EQ(stopped.output, "abc 3\njob.prg(14): Error 11: Function argument value, type, or count is invalid.\n");

  ShellRun going = RunShell("--keep-going \"" + dir.file("job.prg") + "\"", {});
  EXPECT_EQ(going.exitCode, 1u);
  EXPECT_EQ(going.output,
            "abc 3\njob.prg(14): Error 11: Function argument value, type, or count is invalid.\nnot reached\n");

  // The same lines typed (from standard input) are a session that goes on.
  ShellRun typed = RunShell("", {ReadFile(dir.file("job.prg"))}, dir.path());
  EXPECT_EQ(typed.exitCode, 0u);
  EXPECT_EQ(typed.output, "abc 3\nError 11: Function argument value, type, or count is invalid.\nnot reached\n");
}

}  // namespace
}  // namespace larch::test
