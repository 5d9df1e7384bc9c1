// Writing a linked table the way Jackcess does and Access reads: a catalog row of type 6
// under the Tables container with the back end's path in Database, the table's name there
// in ForeignName and any password in Connect, and the container's inheritable MSysACEs
// rows. A link has no pages of its own; its Id is a synthetic number, counting up from
// 0x80000000 past the largest one in use. Access also caches the back end's columns in the
// row's Lv and LvProp; readers do not need that cache, so it is left out, as Jackcess does.
#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

int32_t nextSyntheticId(const std::vector<CatalogEntry>& catalog) {
  int64_t largest = INT32_MIN;  // 0x80000000, which Access gives its first container
  for (const CatalogEntry& e : catalog) {
    if (e.id < 0 && e.id > largest) largest = e.id;
  }
  if (largest + 1 >= 0) throw Error(errc::kUnspecified, "The database has no object numbers left for a link.");
  return static_cast<int32_t>(largest + 1);
}

}  // namespace

void DatabaseWriter::createLink(const LinkSpec& link) {
  checkTableName(link.name);
  checkNameFree(link.name);
  if (link.database.empty() && !link.odbc) throw Error(errc::kUnspecified, "A link needs the path of its database.");
  const std::u16string& foreign = link.foreignName.empty() ? link.name : link.foreignName;
  checkTableName(foreign);
  std::vector<CatalogValue> values = {{u"ForeignName", foreign}};
  if (!link.database.empty()) values.push_back({u"Database", link.database});
  if (!link.connect.empty()) values.push_back({u"Connect", link.connect});
  addToCatalog(nextSyntheticId(db_.catalog()), link.name,
               link.odbc ? object_type::kLinkedOdbcTable : object_type::kLinkedTable, values);
  pages_.flush(durability_ == Durability::kEachRow);
  refreshReader();
}

}  // namespace jet
