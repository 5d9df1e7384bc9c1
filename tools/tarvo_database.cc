#include "tools/tarvo_database.h"

#include <stdexcept>
#include <system_error>
#include <vector>

#include "jet/read/database.h"
#include "jet/write/database_create.h"
#include "jet/write/database_writer.h"
#include "jet/util/unicode.h"

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

std::u16string defaultLinkConnect(std::u16string_view backEndPassword) {
  if (backEndPassword.empty()) return {};
  return u"MS Access;PWD=" + std::u16string(backEndPassword);
}

namespace {

void refuseExisting(const std::filesystem::path& path) {
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) throw std::runtime_error(jet::pathText(path) + " already exists");
}

std::filesystem::path partialOf(const std::filesystem::path& path) {
  auto partial = path;
  partial += ".partial";
  std::error_code ec;
  std::filesystem::remove(partial, ec);
  return partial;
}

void writeTables(const TarvoModel& model, const std::filesystem::path& file, std::u16string_view password,
                 const TarvoWriteOptions& options) {
  const auto& o = model.options();
  const int64_t total = 1 + o.people + o.qualifications + o.trainings;
  int64_t done = 0;
  auto step = [&] {
    ++done;
    if (options.progress && (done % 65536 == 0 || done == total)) options.progress(done, total);
  };
  jet::CreateOptions create;
  create.password = std::u16string(password);
  jet::createDatabase(file, create);
  auto db = jet::Database::open(file, password, /*writable=*/true);
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
}

void writeLinks(const std::filesystem::path& file, std::u16string_view password, const jet::LinkSpec& each) {
  jet::CreateOptions create;
  create.password = std::u16string(password);
  jet::createDatabase(file, create);
  auto db = jet::Database::open(file, password, /*writable=*/true);
  jet::DatabaseWriter writer(db);
  for (const auto& t : tarvoTables()) {
    jet::LinkSpec link = each;
    link.name = link.foreignName = t.name;
    writer.createLink(link);
  }
  writer.flush();
}

}  // namespace

void writeTarvoDatabase(const TarvoModel& model, const std::filesystem::path& path,
                        const TarvoWriteOptions& options) {
  refuseExisting(path);
  if (options.backEnd) refuseExisting(*options.backEnd);
  std::vector<std::filesystem::path> partials;
  std::error_code ec;
  bool backEndPlaced = false;
  try {
    partials.push_back(partialOf(path));
    if (!options.backEnd) {
      writeTables(model, partials[0], options.password, options);
    } else {
      const std::u16string bePassword = options.backEndPassword.value_or(options.password);
      partials.push_back(partialOf(*options.backEnd));
      writeTables(model, partials[1], bePassword, options);
      jet::LinkSpec link;
      link.database = options.linkPath.value_or(std::filesystem::absolute(*options.backEnd).u16string());
      link.connect = options.linkConnect.value_or(defaultLinkConnect(bePassword));
      writeLinks(partials[0], options.password, link);
      std::filesystem::rename(partials[1], *options.backEnd);
      backEndPlaced = true;
    }
    std::filesystem::rename(partials[0], path);
  } catch (...) {
    for (const auto& p : partials) std::filesystem::remove(p, ec);
    if (backEndPlaced) std::filesystem::remove(*options.backEnd, ec);  // the pair belongs together
    throw;
  }
}

}  // namespace tools
