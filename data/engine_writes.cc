#include "data/engine_writes.h"

#include "data/error.h"
#include "data/text.h"
#include "jet/write/database_create.h"

namespace data {

namespace {

jet::CreateOptions newFileOptions(std::u16string_view password) {
  if (password.size() > 20) {
    fail(errc::kUnspecified, "A database password has at most 20 characters.");
  }
  jet::CreateOptions options;
  options.password = std::u16string(password);
  return options;
}

}  // namespace

void createDatabaseFile(const std::filesystem::path& path, std::u16string_view password) {
  jet::createDatabase(path, newFileOptions(password));
}

void createDatabaseFile(jet::NewFile& file, std::u16string_view password) {
  jet::createDatabase(file, newFileOptions(password));
}

void createTable(jet::DatabaseWriter& writer, std::u16string_view name,
                 const std::vector<NewColumn>& columns) {
  jet::TableSpec wanted;
  wanted.name = std::u16string(name);
  for (const NewColumn& c : columns) {
    jet::ColumnSpec s;
    s.name = c.name;
    s.type = c.type;
    if (c.type == jet::ColumnType::Text) {
      if (c.size > 255) {
        fail(errc::kBadArguments, "The text column '" + toUtf8(c.name) +
                                      "' is longer than 255 characters; use a memo.");
      }
      s.textLength = static_cast<uint16_t>(c.size > 0 ? c.size : 255);
    }
    s.autoIncrement = c.autoIncrement;
    s.required = c.required;
    s.compressedUnicode = c.compressedUnicode &&
                          (c.type == jet::ColumnType::Text || c.type == jet::ColumnType::Memo);
    s.description = c.description;
    wanted.columns.push_back(std::move(s));
  }
  writer.createTable(wanted);
}

int32_t storeRow(jet::DatabaseWriter& writer, std::u16string_view table,
                 std::span<const std::pair<size_t, const jet::Value*>> values,
                 std::vector<const jet::Value*>& row, jet::RowPointer* stored) {
  row.assign(writer.tableDef(table).columns.size(), nullptr);
  for (const auto& [position, value] : values) {
    if (position < row.size()) row[position] = value;
  }
  return writer.insertRow(table, jet::RowValues(std::span<const jet::Value* const>(row)), stored);
}

}  // namespace data
