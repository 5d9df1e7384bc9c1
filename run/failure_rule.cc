#include "run/failure_rule.h"

#include <limits>
#include <new>

#include "jet/util/error.h"
#include "data/text.h"
#include "run/text.h"

namespace run {

Failure currentFailure() {
  try {
    throw;
  } catch (const WindowError& e) {
    return {e.number(), data::fromUtf8(e.description())};
  } catch (const RunError& e) {
    return {e.number(), data::fromUtf8(e.what())};
  } catch (const jet::Error& e) {
    return {e.number(), data::fromUtf8(e.description())};
  } catch (const std::bad_alloc&) {
    return {7, u"Out of memory"};
  } catch (const std::exception& e) {
    return {jet::errc::kUnspecified, data::fromUtf8(e.what())};
  } catch (...) {
    return {jet::errc::kUnspecified, u"Unknown failure"};
  }
}

int32_t checkedAdd(int32_t x, int32_t y) {
  const int64_t sum = int64_t{x} + int64_t{y};
  if (sum < std::numeric_limits<int32_t>::min() || sum > std::numeric_limits<int32_t>::max()) {
    throw RunError(kOverflowError, "Overflow");
  }
  return static_cast<int32_t>(sum);
}

void FailureRule::report(const Failure& failure) {
  if (failure.number == kCancelError) throw RunCancelled{};
  ++reported_;
  window_.showMessage(decimal(failure.number) + u"-" + failure.description, kTitle);
}

}  // namespace run
