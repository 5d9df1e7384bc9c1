// Following linked tables (catalog entries of type 6) to the file that holds their rows.
//
// One LinkedTables belongs to the database a caller opened (the front end) and keeps every
// back end it opened for it, once each, keyed by the back end's canonical path: several
// links into one back end share it. Back ends are opened read-only and, as every reader,
// lock nothing; they are closed with the front end. Chains (a back end that links further) are
// followed; a cycle, or a chain longer than kMaxLinkDepth, is refused.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "jet/read/catalog.h"
#include "jet/util/error.h"
#include "jet/format/table_definition.h"

namespace jet {

class Database;

inline constexpr int kMaxLinkDepth = 16;

// What a table name of a file stands for: the definition of the table and the file that
// holds its rows; `link` is the file's own link entry when the name is a link.
struct TableRef {
  Database* database = nullptr;
  std::shared_ptr<const TableDef> def;
  const CatalogEntry* link = nullptr;
};

class LinkedTables {
 public:
  LinkedTables();
  ~LinkedTables();
  LinkedTables(const LinkedTables&) = delete;
  LinkedTables& operator=(const LinkedTables&) = delete;

  // Resolves `name` in `front` (the file that owns this object): a local table, or a link
  // followed to its back end. Errors (each naming the linked table and the paths tried):
  // errc::kTableNotFound for no such table, here or in the back end; errc::kInvalidPassword
  // when the back end refuses the link's password and the front end's; errc::kUnspecified
  // for a back end not found, not readable as a Jet file, an ODBC link, or a cycle.
  TableRef resolve(Database& front, std::u16string_view name);

  // Back ends opened so far.
  size_t openCount() const { return opened_.size(); }

 private:
  Database& backEnd(Database& front, const Database& linking, const CatalogEntry& link,
                    std::u16string_view asked);

  std::map<std::filesystem::path, std::unique_ptr<Database>> opened_;  // by canonical path
};

// The refusal of a change (rows added or deleted, a column added) through a link: the
// program only reads linked tables.
Error linkedTableReadOnly(const CatalogEntry& link);

// The canonical form of a path for telling files apart (case-blind on Windows).
std::filesystem::path fileIdentity(const std::filesystem::path& path);

}  // namespace jet
