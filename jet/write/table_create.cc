// Creating a user table the way Jet does: a TDEF page and a usage-map page of its own, a
// catalog row in MSysObjects with both index entries, and the table's MSysACEs rows (the
// inheritable permissions of the Tables container).
#include <set>

#include "jet/format/data_page_builder.h"
#include "jet/write/database_create.h"
#include "jet/write/database_writer.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/format/index_key.h"
#include "jet/format/property_blob_builder.h"
#include "jet/format/system_catalog_layout.h"
#include "jet/format/table_definition_builder.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map_builder.h"

namespace jet {
namespace {

constexpr size_t kMaxNameLength = 64;
constexpr size_t kMaxColumns = 255;

Error invalid(const std::string& what) { return Error(errc::kUnspecified, what); }

void checkSpec(const TableSpec& wanted) {
  checkTableName(wanted.name);
  if (wanted.columns.empty() || wanted.columns.size() > kMaxColumns) {
    throw invalid("A table must have 1 to 255 columns.");
  }
  std::set<std::u16string> seen;
  int autoNumbers = 0;
  for (const auto& c : wanted.columns) {
    if (c.name.empty() || c.name.size() > kMaxNameLength) throw invalid("A column name must have 1 to 64 characters.");
    if (!seen.insert(foldCase(c.name)).second) throw invalid("The column name '" + toUtf8(c.name) + "' is used twice.");
    if (c.autoIncrement && c.type != ColumnType::Long) throw invalid("Only a Long column can be an autonumber.");
    if (c.autoIncrement) ++autoNumbers;
    if (c.type == ColumnType::Text && (c.textLength < 1 || c.textLength > 255)) {
      throw invalid("A Text column holds 1 to 255 characters.");
    }
    switch (c.type) {
      case ColumnType::Boolean: case ColumnType::Byte: case ColumnType::Integer: case ColumnType::Long:
      case ColumnType::Currency: case ColumnType::Single: case ColumnType::Double: case ColumnType::DateTime:
      case ColumnType::Binary: case ColumnType::Text: case ColumnType::OLE: case ColumnType::Memo:
      case ColumnType::Guid:
        break;
      default:
        throw invalid("Column '" + toUtf8(c.name) + "' has a type we do not create.");
    }
  }
  if (autoNumbers > 1) throw invalid("A table can have only one autonumber column.");
}

}  // namespace

void checkTableName(std::u16string_view name) {
  if (name.empty() || name.size() > kMaxNameLength) {
    throw invalid("A table name must have 1 to 64 characters.");
  }
  if (!isIndexableText(name) || name.front() == u' ') {
    throw invalid("The table name '" + toUtf8(name) +
                  "' holds characters we cannot write; use letters, digits, blanks and _ . , ( ) # & $ + = @.");
  }
}

ColumnDecl columnDeclFor(const ColumnSpec& c) {
  ColumnDecl d;
  d.name = c.name;
  d.type = c.type;
  d.length = c.type == ColumnType::Text ? static_cast<uint16_t>(2 * c.textLength)
             : c.type == ColumnType::Binary ? 255 : 0;
  if (c.autoIncrement) d.flags |= column_flag::kAutoNumber;
  if (c.compressedUnicode && (c.type == ColumnType::Text || c.type == ColumnType::Memo)) {
    d.extraFlags |= kExtraFlagCompressedUnicode;
  }
  return d;
}

void DatabaseWriter::createTable(const TableSpec& wanted) {
  checkSpec(wanted);
  checkNameFree(wanted.name);
  // The table's own pages: its definition and a page for its usage maps.
  const uint32_t tdefPage = pages_.allocate();
  const uint32_t mapPage = pages_.allocate();
  std::vector<ColumnDecl> decls;
  for (const auto& c : wanted.columns) decls.push_back(columnDeclFor(c));
  auto st = std::make_unique<TableState>();
  TableDef& def = st->def;
  def = layoutFromColumns(kTableTypeUser, decls);
  def.name = wanted.name;
  def.pages = {tdefPage};
  {
    PageBytes& page = pages_.edit(mapPage);
    DataPageBuilder::init(page, 0);
    DataPageBuilder dp(page);
    const auto empty = buildInlineUsageMap(0, kInlineBitmapBytes, {});
    def.ownedPagesMap = RowPointer{mapPage, dp.append(empty)}.raw();
    def.freePagesMap = RowPointer{mapPage, dp.append(empty)}.raw();
    for (auto& c : def.columns) {
      if (!c.isLongValue()) continue;
      c.lvOwnedMap = RowPointer{mapPage, dp.append(empty)}.raw();
      c.lvFreeMap = RowPointer{mapPage, dp.append(empty)}.raw();
    }
  }
  rewriteTableDefinition(*st);

  std::vector<PropertySet> props;
  for (const auto& c : wanted.columns) {
    PropertySet set{c.name, true, {}};
    if (c.required) set.properties.push_back(requiredProperty(true));
    if (!c.description.empty()) set.properties.push_back(descriptionProperty(c.description));
    props.push_back(std::move(set));
  }
  const auto blob = buildPropertyBlob(props);

  std::vector<CatalogValue> values;
  if (!blob.empty()) values.push_back({u"LvProp", Bytes(blob)});
  addToCatalog(static_cast<int32_t>(tdefPage), wanted.name, msys_objects::kTypeTable, values);

  tables_.emplace(foldCase(wanted.name), std::move(st));
  pages_.flush(durability_ == Durability::kEachRow);
  refreshReader();
}

void DatabaseWriter::checkNameFree(std::u16string_view name) {
  if (db_.findTable(name) || db_.findLink(name) || tables_.count(foldCase(name))) {
    throw invalid("Table '" + toUtf8(name) + "' already exists.");
  }
}

// The catalog row of a new object in the Tables container, both its index entries, and
// its MSysACEs rows: the inheritable permissions of the container, as Jet gives them.
void DatabaseWriter::addToCatalog(int32_t id, std::u16string_view name, int16_t type,
                                  const std::vector<CatalogValue>& values) {
  const CatalogEntry* tables = nullptr;
  for (const auto& e : db_.catalog()) {
    if (e.type == object_type::kContainer && equalsIgnoreCase(e.name, u"Tables")) tables = &e;
  }
  const int32_t parentId = tables ? tables->id : msys_objects::kTablesId;
  auto& objects = state(u"MSysObjects");
  auto& aces = state(u"MSysACEs");
  Bytes owner = sid::kAdmin;
  {
    auto ownerPos = objects.def.findColumn(u"Owner");
    auto idPos = objects.def.findColumn(u"Id");
    if (!ownerPos || !idPos) throw invalid("MSysObjects lacks its Id or Owner column.");
    auto scan = db_.scan(u"MSysObjects", {*idPos, *ownerPos});
    while (scan.next()) {
      auto rowId = scan.value(0).getIf<int32_t>();
      auto sidBytes = scan.value(1).getIf<Bytes>();
      if (rowId && *rowId == msys_objects::kMSysDbId && sidBytes) owner = *sidBytes;
    }
  }
  std::vector<AceRow> containerAces;
  {
    auto scan = db_.scan(u"MSysACEs", {0, 1, 2, 3});
    while (scan.next()) {
      auto objectId = scan.value(0).getIf<int32_t>();
      if (!objectId || *objectId != parentId) continue;
      AceRow a{*objectId, scan.value(1).isNull() ? Bytes{} : scan.value(1).get<Bytes>(),
               scan.value(2).isNull() ? 0 : scan.value(2).get<int32_t>(),
               scan.value(3).is<bool>() && scan.value(3).get<bool>()};
      containerAces.push_back(std::move(a));
    }
  }

  // The catalog row and its index entries.
  const double now = jetNow();
  std::vector<Value> row(objects.def.columns.size());
  auto set = [&](std::u16string_view column, Value v) {
    auto pos = objects.def.findColumn(column);
    if (!pos) throw invalid("MSysObjects lacks column " + toUtf8(column) + ".");
    row[*pos] = std::move(v);
  };
  set(u"Id", id);
  set(u"ParentId", parentId);
  set(u"Name", std::u16string(name));
  set(u"Type", type);
  set(u"DateCreate", DateTime{now});
  set(u"DateUpdate", DateTime{now});
  set(u"Owner", owner);
  set(u"Flags", int32_t{0});
  for (const CatalogValue& v : values) set(v.column, v.value);
  const auto at = appendRow(objects, row);
  for (size_t i = 0; i < objects.def.realIndexes.size(); ++i) {
    auto key = indexKeyFor(objects.def, objects.def.realIndexes[i], row);
    insertIndexEntry(objects, i, leafEntry(std::move(key), at.page, static_cast<uint8_t>(at.row)), true);
  }
  writeTableCounters(objects);

  for (const auto& ace : acesForNewObject(id, owner, containerAces)) {
    const auto aceValues = aceRowValues(ace);
    const auto aceAt = appendRow(aces, aceValues);
    for (size_t i = 0; i < aces.def.realIndexes.size(); ++i) {
      auto key = indexKeyFor(aces.def, aces.def.realIndexes[i], aceValues);
      insertIndexEntry(aces, i, leafEntry(std::move(key), aceAt.page, static_cast<uint8_t>(aceAt.row)), true);
    }
  }
  writeTableCounters(aces);

}

}  // namespace jet
