// Reference answers for the wildcard routines by brute force, written
// independently of the library; used by the unit tests and the fuzz target.
// With lead bytes the pattern is read as tokens (a star, a "?" for one byte,
// or a literal character, which must cover one whole character of the text)
// and the text's character starts come from the shared helper.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "bridge/dbcs.h"

namespace larch {

struct RefToken {
  enum Kind { kStar, kAnyByte, kLiteral } kind;
  std::string bytes;  // the literal character
};

// starSpecial: "*" is a wildcard (matching) or an ordinary byte (search).
inline std::vector<RefToken> RefTokens(const LeadBytes& leads, const std::string& p, bool starSpecial) {
  std::vector<RefToken> tokens;
  for (size_t k = 0; k < p.size();) {
    if (p[k] == '*' && starSpecial) {
      tokens.push_back({RefToken::kStar, ""});
      ++k;
    } else if (p[k] == '?') {
      tokens.push_back({RefToken::kAnyByte, ""});
      ++k;
    } else {
      // A "?" or "*" never ends a double-byte character.
      const bool pair =
          leads.isLead(static_cast<unsigned char>(p[k])) && k + 1 < p.size() && p[k + 1] != '?' && p[k + 1] != '*';
      tokens.push_back({RefToken::kLiteral, p.substr(k, pair ? 2 : 1)});
      k += pair ? 2 : 1;
    }
  }
  return tokens;
}

inline std::vector<char> RefStarts(const LeadBytes& leads, const std::string& t) {
  std::vector<char> starts(t.size() + 1);
  for (size_t i = 0; i <= t.size(); ++i) starts[i] = IsCharBoundary(leads, t, i);
  return starts;
}

inline std::ptrdiff_t BruteSearch(const std::string& t, const std::string& p, std::ptrdiff_t start,
                                  const LeadBytes& leads = LeadBytes()) {
  if (start < 0) return -1;
  const std::vector<RefToken> tokens = RefTokens(leads, p, false);
  const std::vector<char> starts = RefStarts(leads, t);
  for (size_t n = static_cast<size_t>(start); n + p.size() <= t.size(); ++n) {
    bool same = starts[n] && starts[n + p.size()];
    size_t at = n;
    for (const RefToken& token : tokens) {
      if (!same) break;
      if (token.kind == RefToken::kAnyByte) {
        ++at;
        continue;
      }
      same = t.compare(at, token.bytes.size(), token.bytes) == 0 && starts[at] && starts[at + token.bytes.size()];
      at += token.bytes.size();
    }
    if (same) return static_cast<std::ptrdiff_t>(n);
  }
  return -1;
}

inline bool BruteMatch(std::string t, std::string p, bool caseSensitive, const LeadBytes& leads = LeadBytes()) {
  const std::vector<char> starts = RefStarts(leads, t);
  std::vector<RefToken> tokens = RefTokens(leads, p, true);
  auto fold = [](char& c) { c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  if (!caseSensitive) {
    for (size_t j = 0; j < t.size(); ++j) {
      if (starts[j] && starts[j + 1]) fold(t[j]);
    }
    for (RefToken& token : tokens) {
      if (token.bytes.size() == 1) fold(token.bytes[0]);
    }
  }
  // can[i][j]: tokens from i match text from j.
  std::vector<std::vector<char>> can(tokens.size() + 1, std::vector<char>(t.size() + 1, 0));
  can[tokens.size()][t.size()] = 1;
  for (size_t i = tokens.size(); i-- > 0;) {
    const RefToken& token = tokens[i];
    for (size_t j = t.size() + 1; j-- > 0;) {
      switch (token.kind) {
        case RefToken::kStar: can[i][j] = can[i + 1][j] || (j < t.size() && can[i][j + 1]); break;
        case RefToken::kAnyByte: can[i][j] = j < t.size() && can[i + 1][j + 1]; break;
        case RefToken::kLiteral: {
          const size_t end = j + token.bytes.size();
          can[i][j] = end <= t.size() && t.compare(j, token.bytes.size(), token.bytes) == 0 && starts[j] &&
                      starts[end] && can[i + 1][end];
          break;
        }
      }
    }
  }
  return can[0][0];
}

}  // namespace larch
