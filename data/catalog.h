// ADOX.Catalog, Tables, Table, Columns, Column and Column.Properties: enough to create an
// empty Jet 4.0 file and write a table with its columns into it.
//
// Table and Column are references to shared objects, as in ADOX: looking a column up in a
// table's Columns and setting its Attributes changes the column the table holds. Nothing is
// written to the file before Tables::append().
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/connection.h"
#include "jet/port/new_file.h"
#include "data/value.h"

namespace data {

struct CatalogState;
struct TableState;
struct ColumnState;

// Column.Properties: the provider's properties of a column. They exist only once the column
// has a ParentCatalog (errc::kItemNotFound before that, as in ADOX). Known:
// "Autoincrement" (bool), "Description" (text), "Nullable" (bool), "Default" (any).
class Property {
 public:
  const std::u16string& name() const;
  Value value() const;
  void setValue(const Value& value);  // errc::kTypeMismatch for a value of the wrong kind

 private:
  friend class Properties;
  Property(std::shared_ptr<ColumnState> column, int index)
      : column_(std::move(column)), index_(index) {}
  std::shared_ptr<ColumnState> column_;
  int index_;
};

class Properties {
 public:
  int count() const;
  Property item(std::u16string_view name) const;  // errc::kItemNotFound when unknown

 private:
  friend class Column;
  explicit Properties(std::shared_ptr<ColumnState> column) : column_(std::move(column)) {}
  std::shared_ptr<ColumnState> column_;
};

class Catalog;

class Column {
 public:
  Column();  // a new column: no name, type adVarWChar, size 0, attributes 0

  void setName(std::u16string name);
  const std::u16string& name() const;
  void setType(int type);  // adInteger, adDate, adVarChar, adVarWChar, ...
  int type() const;
  void setDefinedSize(int size);  // text: characters, 0 means the default of 255
  int definedSize() const;
  void setAttributes(int attributes);  // adColNullable, adColFixed
  int attributes() const;
  void setParentCatalog(const Catalog& catalog);
  Properties properties() const;

  explicit Column(std::shared_ptr<ColumnState> state) : state_(std::move(state)) {}
  const std::shared_ptr<ColumnState>& state() const { return state_; }

 private:
  std::shared_ptr<ColumnState> state_;
};

class Columns {
 public:
  int count() const;
  void append(const Column& column);
  // A new column by name, type and size; definedSize 0 takes the default.
  void append(std::u16string name, int type = adVarWChar, int definedSize = 0);
  Column item(std::u16string_view name) const;  // errc::kItemNotFound when absent
  Column item(int index) const;

 private:
  friend class Table;
  explicit Columns(std::shared_ptr<TableState> table) : table_(std::move(table)) {}
  std::shared_ptr<TableState> table_;
};

class Table {
 public:
  Table();

  void setName(std::u16string name);  // not once appended to a catalog
  const std::u16string& name() const;
  Columns columns() const;

  explicit Table(std::shared_ptr<TableState> state) : state_(std::move(state)) {}
  const std::shared_ptr<TableState>& state() const { return state_; }

 private:
  std::shared_ptr<TableState> state_;
};

class Tables {
 public:
  int count() const;
  // Writes the table and its columns into the catalog's file.
  void append(const Table& table);
  Table item(std::u16string_view name) const;  // errc::kItemNotFound when absent

 private:
  friend class Catalog;
  explicit Tables(std::shared_ptr<CatalogState> catalog) : catalog_(std::move(catalog)) {}
  std::shared_ptr<CatalogState> catalog_;
};

class Catalog {
 public:
  Catalog();
  explicit Catalog(std::shared_ptr<CatalogState> state) : state_(std::move(state)) {}

  // Creates a new, empty database file from a connection string (Jet OLEDB:Engine Type=5
  // or none; a Database Password, when given, protects the new file) and makes the catalog
  // use it. Fails when the file exists. The returned connection is open on the new file.
  Connection create(std::u16string_view connectionString);
  // The same, with the file written into `file`, a new file not yet published, whose scratch
  // file the Data Source names (errc::kBadArguments otherwise): the caller adds to it and
  // publishes it.
  Connection create(std::u16string_view connectionString, jet::NewFile& file);
  // Opens the file of the connection string (or uses an open connection).
  void setActiveConnection(std::u16string_view connectionString);
  void setActiveConnection(const Connection& connection);
  Connection activeConnection() const;  // errc::kNoConnection when none
  Tables tables() const;

  const std::shared_ptr<CatalogState>& state() const { return state_; }

 private:
  std::shared_ptr<CatalogState> state_;
};

}  // namespace data
