// The system catalog: the rows of MSysObjects, whose definition is always on page 2. A
// table's Id is the page of its definition (in the low 24 bits).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace jet {

class Pager;

inline constexpr uint32_t kCatalogTdefPage = 2;

namespace object_type {
inline constexpr int16_t kTable = 1;
inline constexpr int16_t kDatabase = 2;
inline constexpr int16_t kContainer = 3;
inline constexpr int16_t kLinkedOdbcTable = 4;
inline constexpr int16_t kQuery = 5;
inline constexpr int16_t kLinkedTable = 6;
inline constexpr int16_t kRelationship = 8;
}  // namespace object_type

namespace object_flag {
inline constexpr uint32_t kSystem = 0x80000000;
inline constexpr uint32_t kAltSystem = 0x00000002;
inline constexpr uint32_t kHidden = 0x00000008;
}  // namespace object_flag

struct CatalogEntry {
  int32_t id = 0;
  int32_t parentId = 0;
  std::u16string name;
  int16_t type = 0;
  uint32_t flags = 0;
  std::u16string database;     // linked tables: the other file
  std::u16string foreignName;  // linked tables: the table there
  std::u16string connect;      // linked tables: connection details (";PWD=...", "ODBC;DSN=...")

  // Types with the top bit set are Access's own objects (forms -32768, reports -32764,
  // macros -32766, modules -32761): their low bits must not pass for a table or a link.
  bool isTable() const { return isKind(object_type::kTable); }
  bool isJetLink() const { return isKind(object_type::kLinkedTable); }
  bool isOdbcLink() const { return isKind(object_type::kLinkedOdbcTable); }
  bool isKind(int16_t kind) const { return type >= 0 && (type & 0x7F) == kind; }
  bool isLink() const { return isJetLink() || isOdbcLink(); }
  bool isSystem() const { return (flags & (object_flag::kSystem | object_flag::kAltSystem)) != 0; }
  // Local tables only: a link's Id is a synthetic number, not a page.
  uint32_t tdefPage() const { return static_cast<uint32_t>(id) & 0x00FFFFFF; }
};

// Every MSysObjects row, in scan order.
std::vector<CatalogEntry> readCatalog(Pager& pager);

}  // namespace jet
