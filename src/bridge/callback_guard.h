// Code the system calls back (dialog procedures, the cabinet library's
// memory and file functions) runs inside CallbackGuard: an exception must
// never unwind through the system's frames, so it ends here and the
// call-back gives its failure value.
#pragma once

#include <utility>

namespace larch {

// Runs body() and gives its result, or fallback when it throws.
template <typename R, typename Body>
R CallbackGuard(R fallback, Body&& body) noexcept {
  try {
    return std::forward<Body>(body)();
  } catch (...) {
    return fallback;
  }
}

}  // namespace larch
