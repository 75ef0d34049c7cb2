// larch-quickref: the one-page quick reference of the published functions.
// Names, order and parameter types come from the function table of the
// library it loads (larch.dll beside this program, through the host
// emulator, as the host sees them); the result of each function comes from
// results.tsv, which must name exactly the published functions. Each name
// links to the function's entry in docs/functions/<page>.md (the heading
// that names it), and every entry must carry the five headings of the
// reference's layout.
//
//   larch-quickref --results FILE --docs DIR --out FILE     write the reference
//   larch-quickref --results FILE --docs DIR --check FILE   exit 1 when FILE differs
#include <cctype>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host_emulator.h"

namespace {

struct ResultLine {
  std::string page;
  std::string result;
};

bool ReadFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *text = s.str();
  return true;
}

// Lines of "name<TAB>page<TAB>result"; '#' starts a comment line.
bool ReadResults(const std::string& path, std::map<std::string, ResultLine>* results) {
  std::string text;
  if (!ReadFile(path, &text)) {
    std::cerr << "larch-quickref: cannot read " << path << "\n";
    return false;
  }
  std::istringstream in(text);
  std::string line;
  int number = 0;
  bool ok = true;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t tab1 = line.find('\t');
    size_t tab2 = tab1 == std::string::npos ? tab1 : line.find('\t', tab1 + 1);
    if (tab2 == std::string::npos) {
      std::cerr << path << ":" << number << ": expected name, page and result separated by tabs\n";
      ok = false;
      continue;
    }
    std::string name = line.substr(0, tab1);
    ResultLine entry{line.substr(tab1 + 1, tab2 - tab1 - 1), line.substr(tab2 + 1)};
    if (!results->emplace(name, entry).second) {
      std::cerr << path << ":" << number << ": " << name << " is listed twice\n";
      ok = false;
    }
  }
  return ok;
}

// The headings every entry of the reference carries, in this order.
constexpr const char* kEntryHeadings[] = {"**Parameters:**", "**Result:**", "**Failure result:**", "**Last error:**",
                                          "**Wrong type:**"};

// The anchor a Markdown viewer gives a heading: lower case, blanks become
// '-', punctuation other than '-' and '_' goes (bytes of UTF-8 letters stay).
std::string Anchor(const std::string& heading) {
  std::string anchor;
  for (char c : heading) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '-' || c == '_' || u >= 0x80) {
      anchor += static_cast<char>(std::tolower(u));
    } else if (c == ' ') {
      anchor += '-';
    }
  }
  return anchor;
}

// Whether a "## " heading names the function: its name followed by '(' at
// the start or after a blank (a heading may name several functions).
bool HeadingNames(const std::string& heading, const std::string& name) {
  for (size_t at = heading.find(name + "("); at != std::string::npos; at = heading.find(name + "(", at + 1)) {
    if (at == 0 || heading[at - 1] == ' ') return true;
  }
  return false;
}

bool CheckEntry(const std::string& path, const std::string& name, const std::string& heading, const std::string& entry,
                std::string* anchor) {
  size_t at = 0;
  for (const char* label : kEntryHeadings) {
    size_t found = entry.find(std::string("- ") + label, at);
    if (found == std::string::npos) {
      std::cerr << path << ": the entry of " << name << " lacks " << label << " (or has it out of order)\n";
      return false;
    }
    at = found;
  }
  *anchor = Anchor(heading);
  return true;
}

// Finds the function's entry on its page: the anchor of its heading, after
// checking that the entry holds the five headings in order.
bool FindEntry(const std::string& docs, const std::string& page, const std::string& name,
               std::map<std::string, std::string>* pages, std::string* anchor) {
  const std::string path = docs + "/" + page + ".md";
  auto cached = pages->find(path);
  if (cached == pages->end()) {
    std::string text;
    if (!ReadFile(path, &text)) {
      std::cerr << "larch-quickref: cannot read " << path << "\n";
      return false;
    }
    cached = pages->emplace(path, text).first;
  }
  const std::string& text = cached->second;
  size_t start = std::string::npos;
  std::string heading;
  bool fenced = false;
  for (size_t line = 0; line < text.size();) {
    size_t end = text.find('\n', line);
    if (end == std::string::npos) end = text.size();
    std::string current = text.substr(line, end - line);
    if (!current.empty() && current.back() == '\r') current.pop_back();
    if (current.rfind("```", 0) == 0) fenced = !fenced;
    if (!fenced && current.rfind("## ", 0) == 0) {
      if (start != std::string::npos) {
        const std::string entry = text.substr(start, line - start);
        return CheckEntry(path, name, heading, entry, anchor);
      }
      if (HeadingNames(current.substr(3), name)) {
        start = line;
        heading = current.substr(3);
      }
    }
    line = end + 1;
  }
  if (start == std::string::npos) {
    std::cerr << path << ": no \"## " << name << "(...)\" heading\n";
    return false;
  }
  return CheckEntry(path, name, heading, text.substr(start), anchor);
}

const char* LetterName(char letter) {
  switch (letter) {
    case 'C': return "C";
    case 'I': return "I";
    case 'N': return "N";
    case 'L': return "L";
    case 'R': return "@";
    case '?': return "?";
    default: return nullptr;
  }
}

// "CC.I" -> "C, C, [I]". A letter after '.' (or after the ',' one row
// carries before its last letter) may be omitted.
bool FormatParameters(const std::string& types, std::string* out) {
  std::string text;
  bool optional = false;
  for (char c : types) {
    if (c == '.' || c == ',') {
      optional = true;
      continue;
    }
    const char* name = LetterName(c);
    if (!name) return false;
    if (!text.empty()) text += ", ";
    text += optional ? std::string("[") + name + "]" : name;
    optional = false;
  }
  *out = text;
  return true;
}

// Table cells cannot hold a bar.
std::string Cell(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '|' ? std::string("\\|") : std::string(1, c);
  return out;
}

bool Render(const std::string& version, const std::vector<larch::host::TableRow>& rows,
            const std::map<std::string, ResultLine>& results, const std::string& docs, std::string* page) {
  bool ok = true;
  std::map<std::string, std::string> pages;
  std::set<std::string> published;
  std::ostringstream body;
  int count = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    const larch::host::TableRow& row = rows[i];
    if (row.count < 0) continue;  // the load and release hooks
    published.insert(row.name);
    ++count;
    std::string parameters;
    if (!FormatParameters(row.types, &parameters)) {
      std::cerr << "larch-quickref: " << row.name << " has an unknown parameter letter in \"" << row.types << "\"\n";
      ok = false;
    }
    auto found = results.find(row.name);
    if (found == results.end()) {
      std::cerr << "larch-quickref: no result listed for " << row.name << "\n";
      ok = false;
      continue;
    }
    std::string anchor;
    if (!FindEntry(docs, found->second.page, row.name, &pages, &anchor)) {
      ok = false;
      continue;
    }
    body << "| " << (i + 1) << " | [`" << row.name << "`](functions/" << found->second.page << ".md#" << anchor
         << ") | " << (parameters.empty() ? "—" : parameters) << " | " << Cell(found->second.result) << " |\n";
  }
  for (const auto& entry : results) {
    if (!published.count(entry.first)) {
      std::cerr << "larch-quickref: " << entry.first << " is listed but the library does not publish it\n";
      ok = false;
    }
  }
  std::ostringstream out;
  out << "# Quick reference\n\n"
      << "All " << count << " functions of `larch.dll` version " << version << ", in the order of the\n"
      << "library's function table (the number is the table row; rows 1 and 2 are the\n"
      << "load and release hooks). Each name links to its entry in the reference,\n"
      << "which gives its parameters, result, failure result, last error and what a\n"
      << "wrong parameter type gives. Written by `tools/quick-reference` from the\n"
      << "built library: do not edit by hand.\n\n"
      << "Parameters: C character, I integer, N number, L logical, @ a variable passed by\n"
      << "reference (`@name`), ? one of several types; [ ] may be omitted. Results: C, I,\n"
      << "L as above; \"none\" means the function sends no result and the host applies\n"
      << "its own default. The `FR` registry functions return .F. on success.\n\n"
      << "A parameter of another type than the one shown gives the host's error 11\n"
      << "before the call; the library's error 9 comes only for a variable passed by\n"
      << "reference that holds the wrong type, and for a ? parameter of a type the\n"
      << "function does not take.\n\n"
      << "| # | Function | Parameters | Result |\n"
      << "|---|---|---|---|\n"
      << body.str();
  *page = out.str();
  return ok;
}

int Usage() {
  std::cerr << "usage: larch-quickref --results FILE --docs DIR (--out FILE | --check FILE)\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string resultsPath, docsPath, outPath, checkPath;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string option = argv[i];
    if (option == "--results") resultsPath = argv[i + 1];
    else if (option == "--docs") docsPath = argv[i + 1];
    else if (option == "--out") outPath = argv[i + 1];
    else if (option == "--check") checkPath = argv[i + 1];
    else return Usage();
  }
  if (argc % 2 == 0 || resultsPath.empty() || docsPath.empty() || outPath.empty() == checkPath.empty()) return Usage();

  std::map<std::string, ResultLine> results;
  if (!ReadResults(resultsPath, &results)) return 2;

  larch::host::HostOptions options = larch::host::HostEmulator::DefaultOptions();
  options.library.clear();
  larch::host::HostEmulator host(options);
  std::string error;
  std::string library = larch::host::DefaultLibraryPath();
  if (!host.load(library, &error)) {
    std::cerr << "larch-quickref: cannot load " << library << ": " << error << "\n";
    return 2;
  }
  // The version the library reports of itself, as an application sees it.
  larch::host::CallResult version = host.call("GetFllInfo", {larch::host::Value::Int(2)});
  if (!version.sent() || version.value.kind != larch::host::Value::Kind::Char || version.value.text.empty()) {
    std::cerr << "larch-quickref: GetFllInfo(2) gave no version text\n";
    return 1;
  }
  std::string page;
  if (!Render(version.value.text, host.rows(), results, docsPath, &page)) return 1;

  if (!outPath.empty()) {
    std::ofstream out(outPath, std::ios::binary);
    out << page;
    if (!out.flush()) {
      std::cerr << "larch-quickref: cannot write " << outPath << "\n";
      return 2;
    }
    return 0;
  }
  std::string committed;
  if (!ReadFile(checkPath, &committed)) {
    std::cerr << "larch-quickref: cannot read " << checkPath << "\n";
    return 1;
  }
  if (committed == page) return 0;
  std::istringstream a(committed), b(page);
  std::string lineA, lineB;
  for (int number = 1;; ++number) {
    bool moreA = static_cast<bool>(std::getline(a, lineA));
    bool moreB = static_cast<bool>(std::getline(b, lineB));
    if (!moreA && !moreB) break;
    if (!moreA || !moreB || lineA != lineB) {
      std::cerr << checkPath << ":" << number << ": differs from what the library's table gives now\n"
                << "  committed: " << (moreA ? lineA : "(end of file)") << "\n"
                << "  now:       " << (moreB ? lineB : "(end of file)") << "\n";
      break;
    }
  }
  std::cerr << "Regenerate it with: bash tools/quick-reference/update.sh\n";
  return 1;
}
