// A writer with an open of its own: the set-up of every test that writes a file (open it
// writable and make a writer; for a new file, create it and its tables first), in one line.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

#include "jet/read/database.h"
#include "jet/write/database_create.h"
#include "jet/write/database_writer.h"

namespace testsupport {

// The open comes first among the bases, so it is made before the writer and closed after it.
struct WritableOpen {
  jet::Database db;
};

// As any writer, it flushes when it goes: a test reads the file back after that, or after
// flush(). A file has one writable open at a time.
class FileWriter : private WritableOpen, public jet::DatabaseWriter {
 public:
  using Durability = jet::DatabaseWriter::Durability;
  // An existing file.
  explicit FileWriter(const std::filesystem::path& file, Durability durability = Durability::kEachRow,
                      std::u16string_view password = {})
      : WritableOpen{jet::Database::open(file, password, /*writable=*/true)}, DatabaseWriter(db, durability) {}
  // A new file holding the tables given, made by this writer.
  FileWriter(const std::filesystem::path& file, const std::vector<jet::TableSpec>& tables,
             Durability durability = Durability::kEachRow, const jet::CreateOptions& options = {})
      : WritableOpen{created(file, options)}, DatabaseWriter(db, durability) {
    for (const jet::TableSpec& table : tables) createTable(table);
  }

 private:
  static jet::Database created(const std::filesystem::path& file, const jet::CreateOptions& options) {
    jet::createDatabase(file, options);
    return jet::Database::open(file, options.password, /*writable=*/true);
  }
};

}  // namespace testsupport
