#include "tests/support/error_number.h"

#include "jet/util/error.h"

namespace testsupport {

int32_t errorNumberOf(const std::function<void()>& f, std::string* description) {
  try {
    f();
  } catch (const jet::Error& e) {
    if (description) *description = e.description();
    return e.number();
  }
  return 0;
}

}  // namespace testsupport
