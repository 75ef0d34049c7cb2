// larch-pack: the producer side of the library's enciphered formats.
//
//   larch-pack batch   IN OUT [--exe FILE | --key-file FILE]
//   larch-pack strings IN OUT --exe FILE [--allow-malformed]
//   larch-pack encrypt IN OUT --key TEXT
//   larch-pack decrypt IN OUT --key TEXT
//
// batch:   enciphers a file of host command lines for KVRunFoxBatch2. With
//          --exe the batch runs only as KVRunFoxBatch2(text, 1) in that
//          executable; --key-file does the same as KVEncryptByteBlock2
//          with that file as its second parameter.
// strings: builds a string-source stream for LoadStringSrcStream from a
//          text of one delimited string per line ("..." '...' [...]),
//          bound to the executable that will load it.
// encrypt/decrypt: KVEncryptFileBuffer2's format (mode 1 / other modes).
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "crypto/block_key.h"
#include "crypto/file_buffer_cipher.h"
#include "crypto/md5.h"
#include "crypto/string_source.h"

namespace {

using larch::kDigestTextSize;

struct Options {
  std::string command, in, out;
  std::optional<std::string> exe, keyFile, key;
  bool allowMalformed = false;
};

int Usage() {
  std::fputs(
      "usage: larch-pack batch   IN OUT [--exe FILE | --key-file FILE]\n"
      "       larch-pack strings IN OUT --exe FILE [--allow-malformed]\n"
      "       larch-pack encrypt IN OUT --key TEXT\n"
      "       larch-pack decrypt IN OUT --key TEXT\n",
      stderr);
  return 2;
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "larch-pack: %s\n", message.c_str());
  return 1;
}

bool ReadAll(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The digest text a key file or executable contributes; empty when the
// file cannot be read (the library would then use a key nobody meant).
std::string DigestOf(const std::string& path) {
  char digest[kDigestTextSize] = {};
  larch::Md5HexOfFile(digest, path.c_str());
  return digest;
}

bool ParseOptions(int argc, char** argv, Options* o) {
  if (argc < 4) return false;
  o->command = argv[1];
  o->in = argv[2];
  o->out = argv[3];
  for (int i = 4; i < argc; ++i) {
    std::string a = argv[i];
    bool hasValue = i + 1 < argc;
    if (a == "--exe" && hasValue) {
      o->exe = argv[++i];
    } else if (a == "--key-file" && hasValue) {
      o->keyFile = argv[++i];
    } else if (a == "--key" && hasValue) {
      o->key = argv[++i];
    } else if (a == "--allow-malformed") {
      o->allowMalformed = true;
    } else {
      return false;
    }
  }
  return true;
}

int MakeBatch(const Options& o, const std::string& plain) {
  if (o.exe && o.keyFile) return Fail("--exe and --key-file exclude each other");
  if (plain.find('\0') != std::string::npos) return Fail("a batch cannot hold a NUL byte: the library stops there");
  std::optional<std::string> digest;
  if (const std::optional<std::string>& file = o.exe ? o.exe : o.keyFile) {
    digest = DigestOf(*file);
    if (digest->empty()) return Fail("cannot read " + *file);
  }
  std::string cipher = larch::EncipherBatch(plain, digest ? std::optional<std::string_view>(*digest) : std::nullopt);
  return WriteAll(o.out, cipher) ? 0 : Fail("cannot write " + o.out);
}

int MakeStrings(const Options& o, const std::string& payload) {
  if (!o.exe) return Fail("strings needs --exe FILE (the executable that loads the stream)");
  if (payload.empty()) return Fail("the string file is empty");
  larch::StringSrcTable table;
  larch::StringSourceShape shape = table.load(payload);
  if ((shape.lines != shape.strings || table.count() != shape.lines) && !o.allowMalformed) {
    return Fail(std::to_string(shape.lines) + " non-blank lines but " + std::to_string(shape.strings) +
                " strings: every non-blank line must hold exactly one delimited string");
  }
  std::string digest = DigestOf(*o.exe);
  if (digest.empty()) return Fail("cannot read " + *o.exe);
  if (!WriteAll(o.out, larch::MakeStringStream(payload, digest.c_str()))) return Fail("cannot write " + o.out);
  std::printf("%u strings\n", table.count());
  return 0;
}

// The key block exactly as the library carries it: the same resource is
// linked into this program.
std::optional<std::vector<char>> LoadKeyBlock() {
  HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(117), "MYRES");
  if (!found) return std::nullopt;
  DWORD size = SizeofResource(nullptr, found);
  HGLOBAL loaded = LoadResource(nullptr, found);
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  if (!data || size == 0) return std::nullopt;
  std::vector<char> block(data, data + size);
  larch::FlipStoredKeyBlock(block.data(), block.size());
  return block;
}

int FileBuffer(const Options& o, const std::string& in, bool encipher) {
  if (!o.key || o.key->empty()) return Fail("--key TEXT is required and must not be empty");
  if (in.empty()) return Fail("the input file is empty");
  std::optional<std::vector<char>> block = LoadKeyBlock();
  if (!block) return Fail("the key block resource is missing");
  larch::KeyBlock key{block->data(), block->size()};
  std::string out;
  if (encipher) {
    out.resize(in.size() + larch::kTrailerSize);
    larch::EncipherFileBuffer(out.data(), in.data(), in.size(), o.key->c_str(), key);
  } else {
    if (in.size() <= larch::kTrailerSize) return Fail("not an enciphered buffer (too short)");
    out.resize(in.size() - larch::kTrailerSize);
    if (!larch::DecipherFileBuffer(out.data(), in.data(), in.size(), o.key->c_str(), key)) {
      return Fail("the key or the length does not match the buffer's trailer");
    }
  }
  return WriteAll(o.out, out) ? 0 : Fail("cannot write " + o.out);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, &o)) return Usage();
  std::string in;
  if (!ReadAll(o.in, &in)) return Fail("cannot read " + o.in);
  if (o.command == "batch") return MakeBatch(o, in);
  if (o.command == "strings") return MakeStrings(o, in);
  if (o.command == "encrypt") return FileBuffer(o, in, true);
  if (o.command == "decrypt") return FileBuffer(o, in, false);
  return Usage();
}
