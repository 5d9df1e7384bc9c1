#include "jet/util/damage.h"

#include "jet/util/unicode.h"

namespace jet {
namespace {

std::string describe(const std::u16string& table, const std::string& problem) {
  if (table.empty()) return "The database file is corrupt: " + problem + ". " + kRepairAdvice;
  return "The table '" + toUtf8(table) + "' is damaged: " + problem + ". " + kRepairAdvice;
}

}  // namespace

DamageError::DamageError(std::u16string table, uint32_t page, std::string problem)
    : Error(errc::kUnspecified, describe(table, problem)),
      table_(std::move(table)),
      page_(page),
      problem_(std::move(problem)) {}

void DamageError::rethrowIn(const std::u16string& table) const {
  if (!table_.empty()) throw *this;
  throw DamageError(table, page_, problem_);
}

}  // namespace jet
