#include "data/catalog.h"

#include "data/catalog_state.h"
#include "data/connection_string.h"
#include "data/engine_writes.h"
#include "data/error.h"
#include "data/text.h"
#include "data/type_codes.h"
#include "jet/read/database.h"
#include "jet/sql/collation.h"

namespace data {
namespace {

using jet::sql::equalsIgnoringCase;

// The provider properties of a Jet column and their defaults.
std::vector<std::pair<std::u16string, Value>> defaultProperties() {
  return {
      {u"Autoincrement", Value(false)},
      {u"Default", Value()},
      {u"Description", Value()},
      {u"Nullable", Value(true)},
      {u"Fixed Length", Value(false)},
      {u"Seed", Value(int32_t{1})},
      {u"Increment", Value(int32_t{1})},
      {u"Jet OLEDB:Allow Zero Length", Value(true)},
      {u"Jet OLEDB:Compressed UNICODE Strings", Value(false)},  // the provider's default
  };
}

void requireEditable(const ColumnState& c) {
  if (c.appended) fail(errc::kNotSupported, "A column of a stored table cannot be changed.");
}

const Value* property(const ColumnState& c, std::u16string_view name) {
  for (const auto& [n, v] : c.properties) {
    if (equalsIgnoringCase(n, name)) return &v;
  }
  return nullptr;
}

// A Table object describing a table that is already in the file.
Table tableFromFile(const jet::TableDef& def) {
  auto t = std::make_shared<TableState>();
  t->name = def.name;
  t->appended = true;
  for (const jet::ColumnDef& c : def.columns) {
    auto col = std::make_shared<ColumnState>();
    col->name = c.name;
    col->type = adoTypeOf(c.type);
    col->definedSize = c.type == jet::ColumnType::Text ? c.textSize() : c.length;
    col->attributes = (c.flags & jet::column_flag::kNullable ? adColNullable : 0) |
                      (c.isFixed() ? adColFixed : 0);
    col->properties = defaultProperties();
    col->properties[0].second = Value(c.isAutoNumber());
    col->appended = true;
    t->columns.emplace_back(col);
  }
  return Table(t);
}

}  // namespace

// --- Property / Properties

const std::u16string& Property::name() const { return column_->properties[index_].first; }

Value Property::value() const { return column_->properties[index_].second; }

void Property::setValue(const Value& value) {
  requireEditable(*column_);
  Value& slot = column_->properties[index_].second;
  const std::u16string& name = column_->properties[index_].first;
  bool wantsBool = name == u"Autoincrement" || name == u"Nullable" || name == u"Fixed Length" ||
                   name.starts_with(u"Jet OLEDB:");
  bool wantsText = name == u"Description";
  bool wantsNumber = name == u"Seed" || name == u"Increment";
  if (wantsBool && !value.is<bool>()) {
    fail(errc::kTypeMismatch, "The property '" + toUtf8(name) + "' takes True or False.");
  }
  if (wantsText && !value.isNull() && !value.is<std::u16string>()) {
    fail(errc::kTypeMismatch, "The property 'Description' takes a text.");
  }
  if (wantsNumber && !value.is<int32_t>() && !value.is<int16_t>()) {
    fail(errc::kTypeMismatch, "The property '" + toUtf8(name) + "' takes a whole number.");
  }
  slot = value;
}

int Properties::count() const { return static_cast<int>(column_->properties.size()); }

Property Properties::item(std::u16string_view name) const {
  for (size_t i = 0; i < column_->properties.size(); ++i) {
    if (equalsIgnoringCase(column_->properties[i].first, name)) return Property(column_, static_cast<int>(i));
  }
  if (!column_->parent) {
    fail(errc::kItemNotFound, "Item cannot be found in the collection: the column's provider "
                              "properties exist only once its ParentCatalog is set.");
  }
  fail(errc::kItemNotFound, "Item cannot be found in the collection: a column has no property '" +
                                toUtf8(name) + "'.");
}

// --- Column

Column::Column() : state_(std::make_shared<ColumnState>()) {}

void Column::setName(std::u16string name) {
  requireEditable(*state_);
  state_->name = std::move(name);
}
const std::u16string& Column::name() const { return state_->name; }

void Column::setType(int type) {
  requireEditable(*state_);
  if (!columnTypeOf(type)) {
    fail(errc::kBadArguments, "Type code " + std::to_string(type) + " cannot be stored in a Jet column.");
  }
  state_->type = type;
}
int Column::type() const { return state_->type; }

void Column::setDefinedSize(int size) {
  requireEditable(*state_);
  if (size < 0) fail(errc::kBadArguments, "A column size cannot be negative.");
  state_->definedSize = size;
}
int Column::definedSize() const { return state_->definedSize; }

void Column::setAttributes(int attributes) {
  requireEditable(*state_);
  if (attributes & ~(adColFixed | adColNullable)) {
    fail(errc::kBadArguments, "Column attributes are 1 (fixed), 2 (nullable) or both.");
  }
  state_->attributes = attributes;
}
int Column::attributes() const { return state_->attributes; }

void Column::setParentCatalog(const Catalog& catalog) {
  requireEditable(*state_);
  state_->parent = catalog.state();
  if (state_->properties.empty()) state_->properties = defaultProperties();
}

Properties Column::properties() const { return Properties(state_); }

// --- Columns

int Columns::count() const { return static_cast<int>(table_->columns.size()); }

void Columns::append(const Column& column) {
  if (table_->appended) fail(errc::kNotSupported, "Columns of a stored table are added with ALTER TABLE.");
  if (column.name().empty()) fail(errc::kBadArguments, "A column needs a name.");
  for (const Column& c : table_->columns) {
    if (c.state() == column.state()) fail(errc::kBadArguments, "The column is already in the table.");
    if (equalsIgnoringCase(c.name(), column.name())) {
      fail(errc::kBadArguments, "The table already has a column named '" + toUtf8(column.name()) + "'.");
    }
  }
  table_->columns.push_back(column);
}

void Columns::append(std::u16string name, int type, int definedSize) {
  Column c;
  c.setName(std::move(name));
  c.setType(type);
  c.setDefinedSize(definedSize);
  append(c);
}

Column Columns::item(std::u16string_view name) const {
  for (const Column& c : table_->columns) {
    if (equalsIgnoringCase(c.name(), name)) return c;
  }
  fail(errc::kItemNotFound, "Item cannot be found in the collection: the table has no column '" +
                                toUtf8(name) + "'.");
}

Column Columns::item(int index) const {
  if (index < 0 || index >= count()) {
    fail(errc::kItemNotFound, "Item cannot be found in the collection: there is no column number " +
                                  std::to_string(index) + ".");
  }
  return table_->columns[index];
}

// --- Table

Table::Table() : state_(std::make_shared<TableState>()) {}

void Table::setName(std::u16string name) {
  if (state_->appended) fail(errc::kNotSupported, "A stored table cannot be renamed.");
  state_->name = std::move(name);
}
const std::u16string& Table::name() const { return state_->name; }
Columns Table::columns() const { return Columns(state_); }

// --- Tables

int Tables::count() const {
  Connection cn = Catalog(catalog_).activeConnection();
  jet::Database& db = cn.database();
  return static_cast<int>(db.tables().size() + db.links().size());
}

Table Tables::item(std::u16string_view name) const {
  Connection cn = Catalog(catalog_).activeConnection();
  jet::Database& db = cn.database();
  if (!db.findTable(name) && !db.findLink(name)) {
    fail(errc::kItemNotFound, "Item cannot be found in the collection: there is no table '" +
                                  toUtf8(name) + "'.");
  }
  // A linked table shows the columns of the table it links to, under its own name.
  jet::TableRef ref = db.table(name);
  Table t = tableFromFile(*ref.def);
  if (ref.link) t.state()->name = ref.link->name;
  return t;
}

void Tables::append(const Table& table) {
  Connection cn = Catalog(catalog_).activeConnection();
  TableState& t = *table.state();
  if (t.appended) fail(errc::kBadArguments, "The table is already stored in a database.");
  if (t.name.empty()) fail(errc::kBadArguments, "A table needs a name.");
  if (t.columns.empty()) fail(errc::kBadArguments, "A table needs at least one column.");
  std::vector<NewColumn> columns;
  for (const Column& c : t.columns) {
    const ColumnState& s = *c.state();
    NewColumn n;
    n.name = s.name;
    n.type = *columnTypeOf(s.type);
    n.size = s.definedSize;
    if (const Value* a = property(s, u"Autoincrement"); a && a->is<bool>() && a->get<bool>()) {
      if (n.type != jet::ColumnType::Long) {
        fail(errc::kBadArguments, "Only a 32-bit integer column (type 3) can be Autoincrement.");
      }
      n.autoIncrement = true;
    }
    if (const Value* d = property(s, u"Description"); d && d->is<std::u16string>()) {
      n.description = d->get<std::u16string>();
    }
    // Columns accept Null unless asked otherwise through the Nullable property: the
    // certificate table writes Null dates into columns created without adColNullable.
    // Text is stored compressed only when asked for, as the provider does by default.
    if (const Value* z = property(s, u"Jet OLEDB:Compressed UNICODE Strings"); z && z->is<bool>()) {
      n.compressedUnicode = z->get<bool>();
    }
    if (const Value* nl = property(s, u"Nullable"); nl && nl->is<bool>()) n.required = !nl->get<bool>();
    columns.push_back(std::move(n));
  }
  jet::DatabaseWriter& writer = writerOf(cn);
  if (cn.database().findTable(t.name) || cn.database().findLink(t.name)) {
    fail(errc::kUnspecified, "The table '" + toUtf8(t.name) + "' already exists.");
  }
  createTable(writer, t.name, columns);
  t.appended = true;
  for (Column& c : t.columns) c.state()->appended = true;
}

// --- Catalog

Catalog::Catalog() : state_(std::make_shared<CatalogState>()) {}

namespace {

ConnectionString newFileString(std::u16string_view connectionString) {
  ConnectionString cs = ConnectionString::parse(connectionString);
  cs.requireJetFile();
  if (cs.engineType && *cs.engineType != 5) {
    fail(errc::kNotSupported, "Only Jet 4.0 files (Jet OLEDB:Engine Type=5) can be created.");
  }
  return cs;
}

}  // namespace

Connection Catalog::create(std::u16string_view connectionString) {
  const ConnectionString cs = newFileString(connectionString);
  createDatabaseFile(toPath(*cs.dataSource), cs.password.value_or(u""));
  setActiveConnection(connectionString);
  return *state_->connection;
}

Connection Catalog::create(std::u16string_view connectionString, jet::NewFile& file) {
  const ConnectionString cs = newFileString(connectionString);
  if (toPath(*cs.dataSource) != file.scratchPath()) {
    fail(errc::kBadArguments, "The Data Source is not the new file's scratch file.");
  }
  createDatabaseFile(file, cs.password.value_or(u""));
  setActiveConnection(connectionString);
  return *state_->connection;
}

void Catalog::setActiveConnection(std::u16string_view connectionString) {
  Connection cn;
  cn.setConnectionString(std::u16string(connectionString));
  cn.open();
  state_->connection = cn;
}

void Catalog::setActiveConnection(const Connection& connection) {
  if (connection.state() != adStateOpen) {
    fail(errc::kNoConnection, "The catalog's connection must be open.");
  }
  state_->connection = connection;
}

Connection Catalog::activeConnection() const {
  if (!state_->connection) fail(errc::kNoConnection, "The catalog has no active connection.");
  return *state_->connection;
}

Tables Catalog::tables() const { return Tables(state_); }

}  // namespace data
