// The four system tables Jet creates in every database (MSysObjects, MSysACEs, MSysQueries,
// MSysRelationships), their rows in a new file, and the rules for catalog rows of new tables.
//
// Layout: docs/file-format.md#system-catalog
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet {

// Column numbers of MSysObjects.
namespace msys_objects {
inline constexpr uint16_t kId = 0, kParentId = 1, kName = 2, kType = 3, kDateCreate = 4, kDateUpdate = 5,
                          kOwner = 6, kFlags = 7, kLvProp = 14;
inline constexpr int16_t kTypeTable = 1, kTypeDatabase = 2, kTypeContainer = 3;
inline constexpr uint32_t kSystemFlags = 0x80000000;
inline constexpr int32_t kRootId = 0x0F000000;
inline constexpr int32_t kTablesId = 0x0F000001;
inline constexpr int32_t kDatabasesId = 0x0F000002;
inline constexpr int32_t kRelationshipsId = 0x0F000003;
inline constexpr int32_t kMSysDbId = 0x10000000;
}  // namespace msys_objects

namespace msys_aces {
inline constexpr uint16_t kObjectId = 0, kSid = 1, kAcm = 2, kInheritable = 3;
}

// Builds a layout from columns listed in column-number order, assigning numbers, fixed
// offsets and var indexes the way Jet does (a fixed column's var index = the number of
// variable columns before it).
struct ColumnDecl {
  std::u16string name;
  ColumnType type;
  uint16_t length = 0;  // Text/Binary bytes; others take their type's size
  uint8_t flags = 0;    // besides kFixed and kNullable, which every column gets as due
  uint8_t extraFlags = 0;
};
inline constexpr uint8_t kColumnFlagSystem = 0x10;     // on every system-table column
inline constexpr uint8_t kColumnFlagSystemSid = 0x20;  // system-table Owner/SID columns
// True for the types stored in the variable part of a row.
bool isVariableType(ColumnType type);
TableDef layoutFromColumns(uint8_t tableType, const std::vector<ColumnDecl>& columns);
// Appends one column to an existing layout the same way (new number = max columns).
ColumnDef nextColumn(const TableDef& layout, const ColumnDecl& column);

// The declaration of a user column as the writer creates it.
struct ColumnSpec;
ColumnDecl columnDeclFor(const ColumnSpec& wanted);

// System-table layouts with their usage maps and index roots at the page positions of a new
// file (see database_create.cc for the page map).
TableDef msysObjectsLayout();
TableDef msysAcesLayout();
TableDef msysQueriesLayout();
TableDef msysRelationshipsLayout();

// SIDs of the accounts in a new file. Jet stores SIDs XORed with a per-file value; these are
// the values of Jet's own reference file, kept together as one consistent set.
namespace sid {
inline const Bytes kAdmin = {0x64, 0x8B};          // owner of MSysDb; creator of new objects
inline const Bytes kEngine = {0x65, 0x89};         // owner of the containers and system tables
inline const Bytes kUsers = {0x65, 0x8B};
inline const Bytes kCreatorOwner = {0x65, 0x8E};   // stands for "whoever creates the object"
}  // namespace sid

struct AceRow {
  int32_t objectId;
  Bytes sid;
  int32_t acm;
  bool inheritable;
};

// MSysObjects rows of a new file, in the order Jet stores them (values per column).
std::vector<std::vector<Value>> newCatalogRows(double date);
std::vector<AceRow> newAceRows();

// The ACE rows a new object under a container gets: every inheritable entry of the
// container, the creator-owner placeholder replaced by the creator (merged by OR), not
// inheritable themselves, the creator first. The placeholder is recognised relative to the
// creator's SID, so this works with the SIDs of any file.
std::vector<AceRow> acesForNewObject(int32_t objectId, const Bytes& creator, const std::vector<AceRow>& containerAces);

std::vector<Value> aceRowValues(const AceRow& ace);

}  // namespace jet
