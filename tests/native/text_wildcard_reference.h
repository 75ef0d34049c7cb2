// Reference answers for the wildcard routines by brute force, written
// independently of the library; used by the unit tests and the fuzz target.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace larch {

inline std::ptrdiff_t BruteSearch(const std::string& t, const std::string& p, std::ptrdiff_t start) {
  if (start < 0) return -1;
  for (size_t n = static_cast<size_t>(start); n + p.size() <= t.size(); ++n) {
    bool same = true;
    for (size_t k = 0; k < p.size() && same; ++k) same = p[k] == '?' || p[k] == t[n + k];
    if (same) return static_cast<std::ptrdiff_t>(n);
  }
  return -1;
}

inline bool BruteMatch(std::string t, std::string p, bool caseSensitive) {
  if (!caseSensitive) {
    for (char& c : t) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    for (char& c : p) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
  }
  // can[i][j]: pattern from i matches text from j.
  std::vector<std::vector<char>> can(p.size() + 1, std::vector<char>(t.size() + 1, 0));
  can[p.size()][t.size()] = 1;
  for (size_t i = p.size(); i-- > 0;) {
    for (size_t j = t.size() + 1; j-- > 0;) {
      if (p[i] == '*') {
        can[i][j] = can[i + 1][j] || (j < t.size() && can[i][j + 1]);
      } else {
        can[i][j] = j < t.size() && (p[i] == '?' || p[i] == t[j]) && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0];
}

}  // namespace larch
