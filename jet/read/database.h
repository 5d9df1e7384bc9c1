// An open Jet 4.0 or Jet 3 (Access 97) database file: header facts, the catalog, table
// definitions, row scans.
//
//   auto db = jet::Database::open("tarvo.mdb", u"secret");
//   auto def = db.tableDef(u"Roster");
//   auto scan = db.scan(def, {*def->findColumn(u"LName")});
//   while (scan.next()) use(scan.value(0), scan.locator());
//
// Errors are jet::Error: errc::kUnspecified for a missing, unreadable, locked, foreign,
// unsupported or corrupt file (corrupt pages are named); errc::kInvalidPassword "Not a valid
// password."; errc::kTableNotFound for an unknown table.
//
// Linked tables (catalog entries of type 6) are followed by table(): their rows are read
// from the back end file, which the Database opens read-only on first use and closes with
// itself (linked_tables.h). tableDef(), scan() and the writer see local tables only.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jet/read/catalog.h"
#include "jet/format/data_page.h"
#include "jet/format/header_page.h"
#include "jet/read/linked_tables.h"
#include "jet/format/pager.h"
#include "jet/format/table_definition.h"
#include "jet/read/table_scan.h"
#include "jet/util/value.h"

namespace jet {

class Database {
 public:
  // Opens an existing file. A file without a database password opens with any password; one
  // with a password only with exactly that password (case-sensitive). A writable open is the
  // file's one writer until it closes: a second writable open of the same file, from any
  // process or this one, fails at once with "... is being written by another program".
  // Read-only opens never write and lock nothing, so they work beside a writer (and see its
  // changes as they reach the file). A Jet 3 file opens read-only only.
  // `textCodePage` overrides the code page of a Jet 3 file's text for a header that misnames
  // it (0: as the header says; ignored for Jet 4, whose text is UTF-16).
  static Database open(const std::filesystem::path& path, std::u16string_view password = {},
                       bool writable = false, uint16_t textCodePage = 0);

  Database(Database&&) noexcept;
  Database& operator=(Database&&) noexcept;
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  ~Database();

  const std::filesystem::path& path() const;
  bool writable() const;
  const HeaderPage& header() const;
  uint8_t version() const { return header().version; }
  uint16_t codePage() const { return header().codePage; }
  double creationDate() const { return header().creationDate; }
  uint32_t encodingKey() const { return header().encodingKey; }
  bool hasPassword() const { return header().hasPassword(); }

  // Every MSysObjects row.
  const std::vector<CatalogEntry>& catalog() const;
  // Local tables (type 1), user ones only unless `includeSystem`, in catalog order.
  std::vector<CatalogEntry> tables(bool includeSystem = false) const;
  // A local table by name, without regard to case; nullptr when there is none.
  const CatalogEntry* findTable(std::u16string_view name) const;
  // Linked tables (Jet and ODBC links), in catalog order.
  std::vector<CatalogEntry> links() const;
  // A link by name, without regard to case; nullptr when there is none.
  const CatalogEntry* findLink(std::u16string_view name) const;

  // A table by name, local or linked; a link is followed to the file that holds the rows.
  // Throws errc::kTableNotFound, and the errors of LinkedTables::resolve().
  TableRef table(std::u16string_view name);
  // Back ends opened so far for following links.
  size_t openBackEnds() const;
  // The password the file was opened with (a back end without one of its own takes it).
  const std::u16string& password() const;

  // The definition of a table by name; throws errc::kTableNotFound. Cached until refresh().
  std::shared_ptr<const TableDef> tableDef(std::u16string_view name);

  // Scans the rows of a table, decoding only the given column positions (into def->columns).
  TableScan scan(std::shared_ptr<const TableDef> def, std::vector<size_t> columns,
                 ScanOrder order = ScanOrder::kFirstPageFirst);
  TableScan scan(std::u16string_view table, std::vector<size_t> columns) {
    return scan(tableDef(table), std::move(columns));
  }
  // Decodes columns of one row again from a locator a scan gave; false when it is gone.
  bool readRow(const TableDef& def, RowPointer locator, std::span<const size_t> columns,
               std::vector<Value>& out);

  // Re-reads the catalog and drops cached definitions, after the writer changed them.
  void refresh();

  // The page layer, for the writer (and for readers made from it, Pager::reader).
  Pager& pager();

 private:
  struct Impl;
  explicit Database(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace jet
