// The state of one extraction run: made when START is pressed, released when the run ends.
// Every item starts as the empty text, 0 or no object; a step that fails leaves its item
// as it was.
#pragma once

#include <cstdint>
#include <string>

namespace run {

struct RunState {
  std::u16string sSourceFile;  // the source database chosen in the dialog
  int32_t qualificationCount = 0;
  int32_t trainingCount = 0;
  int32_t total = 0;
};

}  // namespace run
