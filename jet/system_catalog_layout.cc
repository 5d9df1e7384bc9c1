#include "jet/system_catalog_layout.h"

#include <algorithm>

#include "jet/page_format.h"

namespace jet {
namespace {

constexpr uint8_t kSys = kColumnFlagSystem;
constexpr uint8_t kSysSid = kColumnFlagSystem | kColumnFlagSystemSid;
constexpr uint32_t kMapPage = 6;

uint32_t mapRow(uint8_t row) { return rowPointer(kMapPage, row); }

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

// Assigns the two long-value maps of each memo/OLE column, starting at `firstRow`.
void assignLongValueMaps(TableDef& t, uint8_t firstRow) {
  uint8_t row = firstRow;
  for (auto& c : t.columns) {
    if (!c.isLongValue()) continue;
    c.lvOwnedMap = mapRow(row++);
    c.lvFreeMap = mapRow(row++);
  }
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
  auto t = layoutFromColumns(kTableTypeSystem, {
      {u"Id", ColumnType::Long, 0, kSys},
      {u"ParentId", ColumnType::Long, 0, kSys},
      {u"Name", ColumnType::Text, 510, kSys},
      {u"Type", ColumnType::Integer, 0, kSys},
      {u"DateCreate", ColumnType::DateTime, 0, kSys},
      {u"DateUpdate", ColumnType::DateTime, 0, kSys},
      {u"Owner", ColumnType::Binary, 510, kSysSid},
      {u"Flags", ColumnType::Long, 0, kSys},
      {u"Database", ColumnType::Memo, 0, kSys},
      {u"Connect", ColumnType::Memo, 0, kSys},
      {u"ForeignName", ColumnType::Text, 510, kSys},
      {u"RmtInfoShort", ColumnType::Binary, 510, kSys},
      {u"RmtInfoLong", ColumnType::OLE, 0, kSys},
      {u"Lv", ColumnType::OLE, 0, kSys},
      {u"LvProp", ColumnType::OLE, 0, kSys},
      {u"LvModule", ColumnType::OLE, 0, kSys},
      {u"LvExtra", ColumnType::OLE, 0, kSys},
  });
  t.name = u"MSysObjects";
  t.ownedPagesMap = mapRow(0);
  t.freePagesMap = mapRow(1);
  assignLongValueMaps(t, 2);
  t.realIndexes = {realIndex({msys_objects::kParentId, msys_objects::kName}, 0x10, 7, 0x81, 8),
                   realIndex({msys_objects::kId}, 0x11, 8, 0x81, 8)};
  t.indexes = {logicalIndex(u"ParentIdName", 0, 0), logicalIndex(u"Id", 1, 1)};
  t.rowCount = 8;
  return t;
}

TableDef msysAcesLayout() {
  auto t = layoutFromColumns(kTableTypeSystem, {
      {u"ObjectId", ColumnType::Long, 0, kSys},
      {u"SID", ColumnType::Binary, 510, kSysSid},
      {u"ACM", ColumnType::Long, 0, kSys},
      {u"FInheritable", ColumnType::Boolean, 0, kSys},
  });
  t.name = u"MSysACEs";
  t.ownedPagesMap = mapRow(0x12);
  t.freePagesMap = mapRow(0x13);
  t.realIndexes = {realIndex({msys_aces::kObjectId}, 0x14, 9, 0x88, 8)};
  t.indexes = {logicalIndex(u"ObjectId", 0, 0)};
  t.rowCount = 16;
  return t;
}

TableDef msysQueriesLayout() {
  auto t = layoutFromColumns(kTableTypeSystem, {
      {u"ObjectId", ColumnType::Long, 0, kSys},
      {u"Attribute", ColumnType::Byte, 0, kSys},
      {u"Order", ColumnType::Binary, 510, kSys},
      {u"Name1", ColumnType::Text, 510, kSys},
      {u"Name2", ColumnType::Text, 510, kSys},
      {u"Expression", ColumnType::Memo, 0, kSys},
      {u"Flag", ColumnType::Integer, 0, kSys},
      {u"LvExtra", ColumnType::Long, 0, kSys},
  });
  t.name = u"MSysQueries";
  t.ownedPagesMap = mapRow(0x15);
  t.freePagesMap = mapRow(0x16);
  assignLongValueMaps(t, 0x17);
  t.realIndexes = {realIndex({0, 1, 2}, 0x19, 10, 0x81, 0)};
  t.indexes = {logicalIndex(u"ObjectIdAttribute", 0, 1)};
  return t;
}

TableDef msysRelationshipsLayout() {
  auto t = layoutFromColumns(kTableTypeSystem, {
      {u"szRelationship", ColumnType::Text, 510, kSys},
      {u"grbit", ColumnType::Long, 0, kSys},
      {u"ccolumn", ColumnType::Long, 0, kSys},
      {u"icolumn", ColumnType::Long, 0, kSys},
      {u"szObject", ColumnType::Text, 510, kSys},
      {u"szColumn", ColumnType::Text, 510, kSys},
      {u"szReferencedObject", ColumnType::Text, 510, kSys},
      {u"szReferencedColumn", ColumnType::Text, 510, kSys},
  });
  t.name = u"MSysRelationships";
  t.ownedPagesMap = mapRow(0x1A);
  t.freePagesMap = mapRow(0x1B);
  t.realIndexes = {realIndex({0}, 0x1C, 11, 0x82, 0), realIndex({4}, 0x1D, 12, 0x82, 0),
                   realIndex({6}, 0x1E, 13, 0x82, 0)};
  t.indexes = {logicalIndex(u"szRelationship", 0, 0), logicalIndex(u"szObject", 1, 0),
                      logicalIndex(u"szReferencedObject", 2, 0)};
  return t;
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
