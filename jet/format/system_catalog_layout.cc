#include "jet/format/system_catalog_layout.h"

#include <algorithm>

#include "jet/format/page_format.h"

namespace jet {
namespace {

constexpr uint8_t kSys = kColumnFlagSystem;
constexpr uint8_t kSysSid = kColumnFlagSystem | kColumnFlagSystemSid;
constexpr uint32_t kMapPage = 6;

uint32_t mapRow(uint8_t row) { return RowPointer{kMapPage, row}.raw(); }

RealIndexDef realIndex(std::vector<uint16_t> cols, uint8_t mapRowNo, uint32_t root, uint8_t flags,
                       uint32_t distinct) {
  RealIndexDef r;
  for (auto c : cols) r.columns.push_back({c, 0x01});
  r.usageMap = mapRow(mapRowNo);
  r.firstPage = root;
  r.flags = flags;
  r.distinctKeys = distinct;
  return r;
}

LogicalIndexDef logicalIndex(std::u16string name, uint32_t number, uint8_t kind) {
  LogicalIndexDef l;
  l.cascadeUpdates = 0x04;  // what Jet writes on indexes that are not foreign keys
  l.cascadeDeletes = 0x04;
  l.name = std::move(name);
  l.number = number;
  l.realIndex = number;
  l.kind = kind;
  return l;
}

// One column of a system table: every text and binary one is 510 bytes long.
struct SystemColumn {
  const char16_t* name;
  ColumnType type;
  bool sid = false;  // an Owner/SID column
};

// One index of a system table, logical and real under the same number.
struct SystemIndex {
  const char16_t* name;
  std::vector<uint16_t> columns;
  uint32_t rootPage;
  uint8_t flags;  // of the real index
  uint8_t kind;   // of the logical index
  uint32_t distinctKeys;
};

// A system table of a new file. Its rows on the usage-map page follow one another from
// `firstMapRow`: owned pages, free pages, two for each memo/OLE column, one for each index.
TableDef systemTable(const char16_t* name, uint8_t firstMapRow, std::initializer_list<SystemColumn> columns,
                     std::initializer_list<SystemIndex> indexes, uint32_t rowCount) {
  std::vector<ColumnDecl> decls;
  for (const auto& c : columns) {
    const bool sized = c.type == ColumnType::Text || c.type == ColumnType::Binary;
    decls.push_back({c.name, c.type, static_cast<uint16_t>(sized ? 510 : 0), c.sid ? kSysSid : kSys});
  }
  TableDef t = layoutFromColumns(kTableTypeSystem, decls);
  t.name = name;
  uint8_t row = firstMapRow;
  t.ownedPagesMap = mapRow(row++);
  t.freePagesMap = mapRow(row++);
  for (auto& c : t.columns) {
    if (!c.isLongValue()) continue;
    c.lvOwnedMap = mapRow(row++);
    c.lvFreeMap = mapRow(row++);
  }
  uint32_t number = 0;
  for (const auto& ix : indexes) {
    t.realIndexes.push_back(realIndex(ix.columns, row++, ix.rootPage, ix.flags, ix.distinctKeys));
    t.indexes.push_back(logicalIndex(ix.name, number++, ix.kind));
  }
  t.rowCount = rowCount;
  return t;
}

}  // namespace

bool isVariableType(ColumnType type) {
  switch (type) {
    case ColumnType::Binary:
    case ColumnType::Text:
    case ColumnType::OLE:
    case ColumnType::Memo:
    case ColumnType::Numeric:
      return true;
    default:
      return false;
  }
}

ColumnDef nextColumn(const TableDef& t, const ColumnDecl& d) {
  ColumnDef c;
  c.name = d.name;
  c.type = d.type;
  c.number = t.maxColumns;
  // Jet leaves this copy of the number 0 in system tables; Access writes the number.
  c.number2 = t.tableType == kTableTypeSystem ? 0 : c.number;
  c.extraFlags = d.extraFlags;
  const bool fixed = !isVariableType(d.type);
  c.flags = static_cast<uint8_t>(column_flag::kNullable | d.flags | (fixed ? column_flag::kFixed : 0));
  if (fixed) {
    c.length = d.type == ColumnType::Boolean ? 1 : static_cast<uint16_t>(fixedSizeOf(d.type));
  } else {
    c.length = c.isLongValue() ? 0 : d.length;
  }
  int nextVar = 0;
  for (const auto& o : t.columns) {
    if (!o.isFixed()) nextVar = std::max(nextVar, o.varIndex + 1);
  }
  // A fixed column's var index is the count of variable columns before it, as Jet writes it.
  c.varIndex = static_cast<uint16_t>(nextVar);
  if (fixed && d.type != ColumnType::Boolean) c.fixedOffset = static_cast<uint16_t>(t.fixedAreaSize());
  return c;
}

TableDef layoutFromColumns(uint8_t tableType, const std::vector<ColumnDecl>& columns) {
  TableDef t;
  t.tableType = tableType;
  for (const auto& d : columns) {
    t.columns.push_back(nextColumn(t, d));
    t.maxColumns = static_cast<uint16_t>(t.maxColumns + 1);
  }
  return t;
}

TableDef msysObjectsLayout() {
  using namespace msys_objects;
  using enum ColumnType;
  return systemTable(u"MSysObjects", 0,
                     {{u"Id", Long},
                      {u"ParentId", Long},
                      {u"Name", Text},
                      {u"Type", Integer},
                      {u"DateCreate", DateTime},
                      {u"DateUpdate", DateTime},
                      {u"Owner", Binary, true},
                      {u"Flags", Long},
                      {u"Database", Memo},
                      {u"Connect", Memo},
                      {u"ForeignName", Text},
                      {u"RmtInfoShort", Binary},
                      {u"RmtInfoLong", OLE},
                      {u"Lv", OLE},
                      {u"LvProp", OLE},
                      {u"LvModule", OLE},
                      {u"LvExtra", OLE}},
                     {{u"ParentIdName", {kParentId, kName}, 7, 0x81, 0, 8}, {u"Id", {kId}, 8, 0x81, 1, 8}},
                     8);
}

TableDef msysAcesLayout() {
  using enum ColumnType;
  return systemTable(u"MSysACEs", 0x12,
                     {{u"ObjectId", Long}, {u"SID", Binary, true}, {u"ACM", Long}, {u"FInheritable", Boolean}},
                     {{u"ObjectId", {msys_aces::kObjectId}, 9, 0x88, 0, 8}}, 16);
}

TableDef msysQueriesLayout() {
  using enum ColumnType;
  return systemTable(u"MSysQueries", 0x15,
                     {{u"ObjectId", Long},
                      {u"Attribute", Byte},
                      {u"Order", Binary},
                      {u"Name1", Text},
                      {u"Name2", Text},
                      {u"Expression", Memo},
                      {u"Flag", Integer},
                      {u"LvExtra", Long}},
                     {{u"ObjectIdAttribute", {0, 1, 2}, 10, 0x81, 1, 0}}, 0);
}

TableDef msysRelationshipsLayout() {
  using enum ColumnType;
  return systemTable(u"MSysRelationships", 0x1A,
                     {{u"szRelationship", Text},
                      {u"grbit", Long},
                      {u"ccolumn", Long},
                      {u"icolumn", Long},
                      {u"szObject", Text},
                      {u"szColumn", Text},
                      {u"szReferencedObject", Text},
                      {u"szReferencedColumn", Text}},
                     {{u"szRelationship", {0}, 11, 0x82, 0, 0},
                      {u"szObject", {4}, 12, 0x82, 0, 0},
                      {u"szReferencedObject", {6}, 13, 0x82, 0, 0}},
                     0);
}

std::vector<std::vector<Value>> newCatalogRows(double date) {
  using namespace msys_objects;
  struct Obj {
    int32_t id, parent;
    const char16_t* name;
    int16_t type;
    const Bytes* owner;
  };
  const Obj objs[] = {
      {kTablesId, kRootId, u"Tables", kTypeContainer, &sid::kEngine},
      {kDatabasesId, kRootId, u"Databases", kTypeContainer, &sid::kEngine},
      {kRelationshipsId, kRootId, u"Relationships", kTypeContainer, &sid::kEngine},
      {kMSysDbId, kDatabasesId, u"MSysDb", kTypeDatabase, &sid::kAdmin},
      {2, kTablesId, u"MSysObjects", kTypeTable, &sid::kEngine},
      {3, kTablesId, u"MSysACEs", kTypeTable, &sid::kEngine},
      {4, kTablesId, u"MSysQueries", kTypeTable, &sid::kEngine},
      {5, kTablesId, u"MSysRelationships", kTypeTable, &sid::kEngine},
  };
  std::vector<std::vector<Value>> rows;
  for (const auto& o : objs) {
    std::vector<Value> r(17);
    r[kId] = o.id;
    r[kParentId] = o.parent;
    r[kName] = std::u16string(o.name);
    r[kType] = o.type;
    r[kDateCreate] = DateTime{date};
    r[kDateUpdate] = DateTime{date};
    r[kOwner] = *o.owner;
    r[kFlags] = static_cast<int32_t>(kSystemFlags);
    rows.push_back(std::move(r));
  }
  return rows;
}

std::vector<AceRow> newAceRows() {
  using namespace msys_objects;
  return {
      {2, sid::kAdmin, 393216, false},
      {3, sid::kAdmin, 393216, false},
      {4, sid::kAdmin, 393216, false},
      {5, sid::kAdmin, 917504, false},
      {kTablesId, sid::kCreatorOwner, 983294, true},
      {kTablesId, sid::kAdmin, 393217, false},
      {kRelationshipsId, sid::kCreatorOwner, 983294, true},
      {kRelationshipsId, sid::kAdmin, 393217, false},
      {kDatabasesId, sid::kAdmin, 393216, false},
      {kMSysDbId, sid::kAdmin, 393230, false},
      {kMSysDbId, sid::kUsers, 14, false},
      {4, sid::kUsers, 20, false},
      {5, sid::kUsers, 20, false},
      {2, sid::kUsers, 20, false},
      {kTablesId, sid::kUsers, 1048319, true},
      {kRelationshipsId, sid::kUsers, 1048575, true},
  };
}

std::vector<AceRow> acesForNewObject(int32_t objectId, const Bytes& creator, const std::vector<AceRow>& containerAces) {
  // The placeholder differs from the creator's SID by the same XOR in every file.
  Bytes placeholder = creator;
  if (placeholder.size() == 2 && sid::kAdmin.size() == 2) {
    placeholder[0] ^= sid::kAdmin[0] ^ sid::kCreatorOwner[0];
    placeholder[1] ^= sid::kAdmin[1] ^ sid::kCreatorOwner[1];
  }
  std::vector<AceRow> out;
  out.push_back({objectId, creator, 0, false});
  bool creatorHasEntry = false;
  for (const auto& a : containerAces) {
    if (!a.inheritable) continue;
    const Bytes& s = a.sid == placeholder ? creator : a.sid;
    auto it = std::find_if(out.begin(), out.end(), [&](const AceRow& r) { return r.sid == s; });
    if (it == out.end()) {
      out.push_back({objectId, s, a.acm, false});
    } else {
      it->acm |= a.acm;
      if (s == creator) creatorHasEntry = true;
    }
  }
  if (!creatorHasEntry) out.erase(out.begin());
  return out;
}

std::vector<Value> aceRowValues(const AceRow& a) {
  return {Value(a.objectId), Value(a.sid), Value(a.acm), Value(a.inheritable)};
}

}  // namespace jet
