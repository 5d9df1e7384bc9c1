#include "data/engine_writes.h"

#include "data/error.h"

namespace data {

void createDatabaseFile(const std::filesystem::path&, std::u16string_view) {
  fail(errc::kNotSupported, "Creating database files is not available yet in this build.");
}

void createTable(jet::Database&, std::u16string_view, const std::vector<NewColumn>&) {
  fail(errc::kNotSupported, "Creating tables is not available yet in this build.");
}

void storeRow(jet::Database&, std::u16string_view, const std::vector<std::pair<size_t, jet::Value>>&) {
  fail(errc::kNotSupported, "Adding rows is not available yet in this build.");
}

}  // namespace data
