// The run failure rule: a failed step is reported in a modal box titled "Error in cmdRUN"
// whose text is the error number, "-" and the description; the run then goes on with the
// next step. Only the file dialog's cancel error (32755) ends the run, silently.
//
// Decisions are written so that a failing test takes the branch of a true test: the caller
// sets its "true" continuation before it evaluates the test.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "run/run_window.h"

namespace run {

// A failure as the rule reports it.
struct Failure {
  int32_t number = 0;
  std::u16string description;
};

// The run's own failures (overflow, an unusable licence number, ...), shaped like the
// errors of the data layer and the window.
class RunError : public std::exception {
 public:
  RunError(int32_t number, std::string description)
      : number_(number), description_(std::move(description)) {}
  int32_t number() const noexcept { return number_; }
  const char* what() const noexcept override { return description_.c_str(); }

 private:
  int32_t number_;
  std::string description_;
};

inline constexpr int32_t kOverflowError = 6;  // "Overflow", as a 32-bit sum that does not fit

// Thrown by FailureRule::report for the cancel error; cmdRUN_Click ends the run on it.
struct RunCancelled {};

// The failure carried by the exception being handled. Call only inside a catch block.
Failure currentFailure();

// x + y in 32-bit signed arithmetic; throws RunError(kOverflowError) when it does not fit.
int32_t checkedAdd(int32_t x, int32_t y);

class FailureRule {
 public:
  static constexpr const char16_t* kTitle = u"Error in cmdRUN";

  explicit FailureRule(RunWindow& window) : window_(window) {}

  // Shows the box for a failure, or throws RunCancelled for the cancel error.
  void report(const Failure& failure);

  // Runs one step under the rule: true when it completed, false when it failed and was
  // reported.
  template <typename Body>
  bool attempt(Body&& body) {
    try {
      body();
      return true;
    } catch (const RunCancelled&) {
      throw;
    } catch (...) {
      report(currentFailure());
      return false;
    }
  }

  // A decision under the rule: the test's answer, or true when the test itself failed.
  template <typename Test>
  bool decide(Test&& test) {
    bool answer = true;
    attempt([&] { answer = test(); });
    return answer;
  }

  // How many boxes this rule has shown.
  int reported() const { return reported_; }

 private:
  RunWindow& window_;
  int reported_ = 0;
};

}  // namespace run
