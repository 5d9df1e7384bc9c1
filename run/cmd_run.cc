// cmdRUN_Click: the extraction run as one numbered sequence of steps. Each case below is
// one step of the list; `next` is where the run goes on. A decision sets `next` to its
// true branch before it tests, so a test that fails takes that branch, as the failure
// rule requires.
#include <filesystem>

#include "run/failure_rule.h"
#include "run/run_state.h"
#include "run/run_window.h"

namespace run {

namespace {

constexpr int kEnd = 72;  // one past the last step

class Run {
 public:
  explicit Run(RunWindow& window) : w_(window), rule_(window) {}

  void execute() {
    for (int step = 1; step < kEnd;) {
      next_ = step + 1;
      try {
        perform(step);
      } catch (const RunCancelled&) {
        return;
      } catch (...) {
        try {
          rule_.report(currentFailure());
        } catch (const RunCancelled&) {
          return;
        }
      }
      step = next_;
    }
  }

 private:
  void perform(int step) {
    switch (step) {
      // Choosing the source database.
      case 1: w_.setDialogCancelError(true); break;
      case 2: w_.setDialogTitle(u"Select your Tarvo Database File"); break;
      case 3: w_.setDialogFilter(u"Tarvo Data ONLY (tarvo*.mdb)|tarvo*.mdb"); break;
      case 4: w_.setDialogFlags(1); break;
      case 5: w_.setDialogInitDir(w_.programDirectory().u16string()); break;
      case 6: w_.showOpenDialog(); break;
      case 7: s_.sSourceFile = w_.dialogFileName(); break;
      case 8: w_.processPendingEvents(); break;
      default: break;
    }
  }

  RunWindow& w_;
  FailureRule rule_;
  RunState s_;
  int next_ = 1;
};

}  // namespace

void cmdRUN_Click(RunWindow& window) { Run(window).execute(); }

}  // namespace run
