#include "jet/read/catalog.h"

#include <memory>

#include "jet/util/byte_view.h"
#include "jet/format/table_definition.h"
#include "jet/read/table_scan.h"

namespace jet {
namespace {

size_t requireColumn(const TableDef& def, std::u16string_view name) {
  auto pos = def.findColumn(name);
  if (!pos) throwCorrupt(kCatalogTdefPage, "holds a system catalog without the column it needs");
  return *pos;
}

template <typename T>
T valueOr(const Value& v, T fallback) {
  if (auto* p = v.getIf<T>()) return *p;
  return fallback;
}

}  // namespace

std::vector<CatalogEntry> readCatalog(Pager& pager) {
  auto def = std::make_shared<TableDef>(readTableDefinition(pager, kCatalogTdefPage));
  def->name = u"MSysObjects";
  std::vector<size_t> cols = {requireColumn(*def, u"Id"),   requireColumn(*def, u"ParentId"),
                              requireColumn(*def, u"Name"), requireColumn(*def, u"Type"),
                              requireColumn(*def, u"Flags")};
  // Linked-table columns are optional: Jet 3 files and damaged catalogs may lack them.
  auto database = def->findColumn(u"Database");
  auto foreign = def->findColumn(u"ForeignName");
  auto connect = def->findColumn(u"Connect");
  if (database) cols.push_back(*database);
  if (foreign) cols.push_back(*foreign);
  if (connect) cols.push_back(*connect);

  std::vector<CatalogEntry> entries;
  TableScan scan(pager, def, cols);
  while (scan.next()) {
    const auto& v = scan.values();
    CatalogEntry e;
    e.id = valueOr<int32_t>(v[0], 0);
    e.parentId = valueOr<int32_t>(v[1], 0);
    e.name = valueOr<std::u16string>(v[2], {});
    e.type = valueOr<int16_t>(v[3], 0);
    e.flags = static_cast<uint32_t>(valueOr<int32_t>(v[4], 0));
    size_t next = 5;
    if (database) e.database = valueOr<std::u16string>(v[next++], {});
    if (foreign) e.foreignName = valueOr<std::u16string>(v[next++], {});
    if (connect) e.connect = valueOr<std::u16string>(v[next++], {});
    entries.push_back(std::move(e));
  }
  return entries;
}

}  // namespace jet
