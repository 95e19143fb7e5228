#pragma once
// The text of whatever a call raises, or "(no error)": failures show the message itself.
#include <exception>
#include <functional>
#include <string>

namespace testsupport {

inline std::string errorOf(const std::function<void()>& f) {
  try {
    f();
  } catch (const std::exception& e) {
    return e.what();
  }
  return "(no error)";
}

}  // namespace testsupport
