#include "test_support.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace larch::test {
namespace {

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = dir + "\\" + name;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  char base[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  char name[64];
  std::snprintf(name, sizeof name, "larch-%lu-%u", GetCurrentProcessId(), ++counter);
  path_ = std::string(base) + name;
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempDir::~TempDir() { RemoveTree(path_); }

std::string TempDir::file(const std::string& name) const { return path_ + "\\" + name; }

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Hex(const std::string& bytes) {
  std::string out;
  char b[4];
  for (unsigned char c : bytes) {
    std::snprintf(b, sizeof b, "%02X ", c);
    out += b;
  }
  if (!out.empty()) out.pop_back();
  return out;
}

namespace {
HWND WINAPI NoDisplayWindow(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) {
  SetLastError(ERROR_INVALID_WINDOW_HANDLE);
  return nullptr;
}
}  // namespace

NoDesktop::NoDesktop(HostEmulator& emu)
    : patch_(emu.module(), "user32.dll", "CreateWindowExA", host::FakeOf(&NoDisplayWindow)) {}

}  // namespace larch::test
