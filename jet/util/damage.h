// Damage: bytes of a file that contradict the file's own structure (a page that is not what
// a map or a pointer says it is, a row that leaves its page, a chain that breaks, a stored
// count the rows disagree with). Reported as a DamageError, never skipped: a reader that
// stepped over it would lose rows without a word.
#pragma once

#include <cstdint>
#include <string>

#include "jet/util/error.h"

namespace jet {

class DamageError : public Error {
 public:
  // `problem` reads on from the page, e.g. "page 124 is not one of its data pages"; `table`
  // is empty when the damage is not within one table (header, catalog).
  DamageError(std::u16string table, uint32_t page, std::string problem);

  const std::u16string& table() const noexcept { return table_; }
  uint32_t page() const noexcept { return page_; }
  const std::string& problem() const noexcept { return problem_; }

  // The same damage, now known to be in `table` (kept when the error already names one).
  [[noreturn]] void rethrowIn(const std::u16string& table) const;

 private:
  std::u16string table_;
  uint32_t page_;
  std::string problem_;
};

// What to do about a damaged source, said once for every such message.
inline constexpr const char* kRepairAdvice = "Repair the database in Access (Compact and Repair) and run again.";

}  // namespace jet
