// Times, on the same files: Get32Md5FileChecksum on one, and
// KVEncryptFileBuffer2 (both directions) on another, through the host
// emulator; the same encipher call dispatched with its parameters already
// in host blocks and its result not copied back (the library's own share
// of the call); and the portable file-buffer cipher on its own with the
// key block taken from the loaded library. Best of three runs of each; one
// line per figure: name, wall seconds, CPU seconds of this thread.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "crypto/file_buffer_cipher.h"
#include "host_emulator.h"

namespace {

using larch::host::CallResult;
using larch::host::HostEmulator;
using larch::host::Value;

constexpr int kRuns = 3;

struct Span {
  double wall, cpu;
};

Span Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  FILETIME created, exited, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
  auto seconds = [](FILETIME f) { return (double(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7; };
  return {static_cast<double>(t.QuadPart) / frequency, seconds(kernel) + seconds(user)};
}

Span Since(Span start) {
  Span now = Now();
  return {now.wall - start.wall, now.cpu - start.cpu};
}

// `run` returns the span it measured itself.
template <typename F>
void ReportMeasured(const char* name, F&& run) {
  Span best{1e30, 1e30};
  for (int i = 0; i < kRuns; ++i) {
    Span s = run();
    best = {std::min(best.wall, s.wall), std::min(best.cpu, s.cpu)};
  }
  std::printf("%s %.4f %.4f\n", name, best.wall, best.cpu);
}

template <typename F>
void Report(const char* name, F&& run) {
  ReportMeasured(name, [&] {
    Span start = Now();
    run();
    return Since(start);
  });
}

std::string ReadAll(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The key block as the library loads it.
std::vector<char> KeyBlockOf(HMODULE library) {
  HRSRC found = FindResourceA(library, MAKEINTRESOURCEA(117), "MYRES");
  HGLOBAL loaded = found ? LoadResource(library, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data) return {};
  std::vector<char> block(data, data + SizeofResource(library, found));
  larch::FlipStoredKeyBlock(block.data(), block.size());
  return block;
}

larch::HostValue CharValue(HostEmulator& emu, const std::string& bytes) {
  larch::HostValue v{};
  v.type = larch::kTypeChar;
  v.length = static_cast<uint32_t>(bytes.size());
  v.handle = emu.allocBlock(bytes);
  return v;
}

// KVEncryptFileBuffer2(buffer, key, 1) through DispatchAPI with the
// parameter blocks made before the clock starts; the host's answer to
// ReturnValue only notes the length, so no host-side copy is timed.
bool ReportLibraryShare(HostEmulator& emu, const std::string& buffer, const std::string& key) {
  const larch::host::TableRow* row = emu.row("KVEncryptFileBuffer2");
  if (!row) return false;
  uint32_t resultLength = 0;
  emu.serviceHook = [&](larch::ServiceRecord& r) {
    if (r.operation != larch::kReturnValue) return false;
    resultLength = reinterpret_cast<const larch::HostValue*>(static_cast<uintptr_t>(r.arg1))->length;
    return true;
  };
  ReportMeasured("KVEncryptFileBuffer2-library-share", [&] {
    std::vector<uint8_t> raw(36 + 2 + 36 * 3, 0);
    auto* record = reinterpret_cast<larch::DispatchRecord*>(raw.data());
    auto* block = reinterpret_cast<larch::ParamBlock*>(record->arguments);
    block->count = 3;
    block->values[0] = CharValue(emu, buffer);
    block->values[1] = CharValue(emu, key);
    block->values[2].type = larch::kTypeInt;
    block->values[2].integer = 1;
    record->operation = larch::kOpCallParams;
    record->function = row->entry;
    Span start = Now();
    emu.dispatch(*record);
    Span span = Since(start);
    emu.freeBlock(block->values[0].handle);
    emu.freeBlock(block->values[1].handle);
    return span;
  });
  emu.serviceHook = nullptr;
  return resultLength == buffer.size() + larch::kTrailerSize;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: larch-bench-crypto DIGEST-FILE BUFFER-FILE\n", stderr);
    return 2;
  }
  HostEmulator emu;
  if (!emu.loaded()) return 1;

  std::string digest;
  Report("Get32Md5FileChecksum", [&] { digest = emu.call("Get32Md5FileChecksum", {Value::Text(argv[1])}).value.text; });
  std::printf("digest %s\n", digest.c_str());

  const std::string buffer = ReadAll(argv[2]);
  const std::string keyText = "benchmark key";
  const std::vector<larch::host::Arg> encipherArgs = {Value::Text(buffer), Value::Text(keyText), Value::Int(1)};
  CallResult cipher, back;
  Report("KVEncryptFileBuffer2-encipher", [&] { cipher = emu.call("KVEncryptFileBuffer2", encipherArgs); });
  const std::vector<larch::host::Arg> decipherArgs = {cipher.value, Value::Text(keyText), Value::Int(0)};
  Report("KVEncryptFileBuffer2-decipher", [&] { back = emu.call("KVEncryptFileBuffer2", decipherArgs); });
  if (cipher.value.text.size() != buffer.size() + 84 || back.value.text != buffer) {
    std::fputs("file cipher round trip failed\n", stderr);
    return 1;
  }
  if (!ReportLibraryShare(emu, buffer, keyText)) {
    std::fputs("the dispatched call returned no cipher\n", stderr);
    return 1;
  }

  std::vector<char> block = KeyBlockOf(emu.module());
  if (block.empty()) return 1;
  std::string out(buffer.size() + larch::kTrailerSize, '\0');
  Report("EncipherFileBuffer-core", [&] {
    larch::EncipherFileBuffer(out.data(), buffer.data(), buffer.size(), keyText.c_str(), {block.data(), block.size()});
  });
  if (out != cipher.value.text) {
    std::fputs("the core cipher differs from the library call\n", stderr);
    return 1;
  }
  return 0;
}
