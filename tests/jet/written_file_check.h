// Reading a file the writer made back three ways (our reader, mdb-export, mdb-reader) and
// checking that each sees exactly the rows that were written.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "jet/util/value.h"

namespace writertest {

using Row = std::vector<jet::Value>;

// Rows of a table as our reader decodes them, in scan order.
std::vector<Row> readWithOurReader(const std::filesystem::path& file, const std::u16string& table,
                                   const std::u16string& password = {});

// Compares the table's rows, in order, as seen by all three readers with `expected` (one
// value per column in column order). Adds gtest failures naming the reader and the cell.
void expectRowsEverywhere(const std::filesystem::path& file, const std::u16string& table,
                          const std::vector<std::string>& columnNames, const std::vector<Row>& expected);

// "YYYY-MM-DD HH:MM:SS" for a Jet day count (whole seconds).
std::string formatJetDate(double days);

}  // namespace writertest
