#include "tools/tarvo_database.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include "jet/database.h"
#include "jet/database_create.h"
#include "jet/database_writer.h"
#include "jet/unicode.h"

namespace tools {

namespace {

jet::TableSpec writerTable(const TableSpec& t) {
  jet::TableSpec out;
  out.name = t.name;
  for (const auto& c : t.columns) {
    jet::ColumnSpec col;
    col.name = c.name;
    col.type = c.type;
    if (c.type == jet::ColumnType::Text) col.textLength = static_cast<uint16_t>(c.maxLength);
    col.autoIncrement = c.autoNumber;
    col.required = c.required;
    // Access turns Unicode compression on for every text and memo column it creates.
    col.compressedUnicode = c.type == jet::ColumnType::Text || c.type == jet::ColumnType::Memo;
    col.description = c.description;
    out.columns.push_back(std::move(col));
  }
  return out;
}

// Inserts rows given in TableSpec order into a table whose stored column order may differ.
class TableLoader {
 public:
  TableLoader(jet::DatabaseWriter& writer, const TableSpec& table) : writer_(writer), table_(table) {
    const auto& def = writer.tableDef(table.name);
    for (const auto& stored : def.columns) order_.push_back(table.column(stored.name));
    if (order_.size() != table.columns.size())
      throw std::logic_error("the engine stored another number of columns than asked");
    values_.resize(order_.size());
  }
  void insert(const Row& row) {
    for (size_t i = 0; i < order_.size(); ++i) values_[i] = row[order_[i]];
    writer_.insertRow(table_.name, values_);
  }

 private:
  jet::DatabaseWriter& writer_;
  const TableSpec& table_;
  std::vector<size_t> order_;
  std::vector<jet::Value> values_;
};

}  // namespace

void writeTarvoDatabase(const TarvoModel& model, const std::filesystem::path& path,
                        const TarvoWriteOptions& options) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec))
    throw std::runtime_error(jet::toUtf8(path.u16string()) + " already exists");
  auto partial = path;
  partial += ".partial";
  std::filesystem::remove(partial, ec);

  const auto& o = model.options();
  const int64_t total = 1 + o.people + o.qualifications + o.trainings;
  int64_t done = 0;
  auto step = [&] {
    ++done;
    if (options.progress && (done % 65536 == 0 || done == total)) options.progress(done, total);
  };

  try {
    jet::CreateOptions create;
    create.password = options.password;
    jet::createDatabase(partial, create);
    {
      auto db = jet::Database::open(partial, options.password, /*writable=*/true);
      jet::DatabaseWriter writer(db, jet::DatabaseWriter::Durability::kBatched);
      for (const auto& t : tarvoTables()) writer.createTable(writerTable(t));

      TableLoader control(writer, tarvoTable(u"Control"));
      control.insert(model.controlRow());
      step();
      TableLoader roster(writer, tarvoTable(u"Roster"));
      for (int64_t id = 1; id <= o.people; ++id, step()) roster.insert(model.person(id).row);
      TableLoader qualifications(writer, tarvoTable(u"Qualifications"));
      for (int64_t n = 1; n <= o.qualifications; ++n, step()) qualifications.insert(model.qualification(n).row);
      TableLoader training(writer, tarvoTable(u"Training"));
      for (int64_t n = 1; n <= o.trainings; ++n, step()) training.insert(model.training(n).row);
      writer.flush();
    }  // closes the file before it is renamed
    std::filesystem::rename(partial, path);
  } catch (...) {
    std::filesystem::remove(partial, ec);
    throw;
  }
}

}  // namespace tools
