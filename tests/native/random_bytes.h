// Reproducible test data: bytes from a seeded generator.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace larch {

inline std::string RandomBytes(size_t n, std::mt19937& rng) {
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

inline std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  return RandomBytes(n, rng);
}

}  // namespace larch
