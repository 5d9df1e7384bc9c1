#include "jet/read/database.h"

#include <unordered_map>

#include "jet/util/damage.h"
#include "jet/util/error.h"
#include "jet/read/integrity_check.h"
#include "jet/util/unicode.h"

namespace jet {

struct Database::Impl {
  std::filesystem::path path;
  std::u16string password;
  bool writable = false;
  HeaderPage header;
  std::unique_ptr<Pager> pager;
  std::vector<CatalogEntry> catalog;
  std::unordered_map<uint32_t, std::shared_ptr<const TableDef>> definitions;  // by TDEF page
  std::unique_ptr<LinkedTables> links;  // back ends, opened when a link is first followed
};

namespace {

HeaderPage readHeader(File& file, const std::filesystem::path& path, bool writable, uint16_t textCodePage) {
  std::vector<uint8_t> page0(kPageSizeJet4);
  size_t got = file.readSomeAt(0, page0);
  page0.resize(got);
  HeaderPage h = parseHeaderPage(page0, pathText(path), textCodePage);
  if (h.isJet3() && writable) {
    // Changes to an Access 97 file are left to Access 97: we read it, never write it.
    throw Error(errc::kUnspecified,
                quotedPath(path) + " is a Jet 3 (Access 97) database, which is read but never changed.");
  }
  if (got < h.pageSize() || file.size() < 3 * uint64_t{h.pageSize()}) {
    throw Error(errc::kUnspecified, "The database file " + quotedPath(path) + " is corrupt: it is truncated.");
  }
  return h;
}

// The code page of a Jet 3 file's text; nullptr for Jet 4. A code page without a table here
// would turn every name into guesses, so the file is refused instead.
const CodePage* textCodePageOf(const HeaderPage& h, const std::filesystem::path& path) {
  if (!h.isJet3()) return nullptr;
  const CodePage* cp = CodePage::find(h.textCodePage);
  if (!cp) {
    throw Error(errc::kUnspecified, quotedPath(path) + " stores its text in code page " +
                                        std::to_string(h.textCodePage) + ", which this program cannot read.");
  }
  return cp;
}

}  // namespace

Database::Database(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Database::Database(Database&&) noexcept = default;
Database& Database::operator=(Database&&) noexcept = default;
Database::~Database() = default;

Database Database::open(const std::filesystem::path& path, std::u16string_view password, bool writable,
                        uint16_t textCodePage) {
  // One writer at a time, and readers never in its way: a writable open takes the exclusive
  // lock and keeps it until the file closes; a read-only open takes none, so neither another
  // program nor one of our writers is kept from the file while we read it.
  File file = File::open(path, writable ? File::Mode::kReadWrite : File::Mode::kReadOnly);
  if (writable && !file.tryLock(File::Lock::kExclusive)) {
    throw FileError(errc::kUnspecified, beingWrittenText(path));
  }
  auto impl = std::make_unique<Impl>();
  impl->path = path;
  impl->writable = writable;
  impl->header = readHeader(file, path, writable, textCodePage);
  const CodePage* text = textCodePageOf(impl->header, path);
  if (impl->header.hasPassword() && password != impl->header.password) {
    // Named, so a certificate file with a password of its own is not taken for the source.
    throw Error(errc::kInvalidPassword, "Not a valid password. The database " + quotedPath(path) +
                                            " is protected by another password.");
  }
  impl->password = std::u16string(password);
  impl->pager = std::make_unique<Pager>(std::move(file), impl->header.pageSize());
  impl->pager->setEncodingKey(impl->header.encodingKey);
  impl->pager->setTextCodePage(text);
  impl->catalog = readCatalog(*impl->pager);
  Database db(std::move(impl));
  // A writer builds on what it finds; on a damaged file it would add to the damage and call
  // the result a success.
  if (writable) {
    for (const IntegrityProblem& p : checkIntegrity(db, CheckDepth::kBeforeWriting, 1)) {
      throw DamageError(p.table, p.page, p.problem);
    }
  }
  return db;
}

const std::filesystem::path& Database::path() const { return impl_->path; }
bool Database::writable() const { return impl_->writable; }
const HeaderPage& Database::header() const { return impl_->header; }
const std::vector<CatalogEntry>& Database::catalog() const { return impl_->catalog; }
Pager& Database::pager() { return *impl_->pager; }

std::vector<CatalogEntry> Database::tables(bool includeSystem) const {
  std::vector<CatalogEntry> out;
  for (const auto& e : impl_->catalog) {
    if (e.isTable() && (includeSystem || !e.isSystem())) out.push_back(e);
  }
  return out;
}

const CatalogEntry* Database::findTable(std::u16string_view name) const {
  for (const auto& e : impl_->catalog) {
    if (e.isTable() && equalsIgnoreCase(e.name, name)) return &e;
  }
  return nullptr;
}

std::vector<CatalogEntry> Database::links() const {
  std::vector<CatalogEntry> out;
  for (const auto& e : impl_->catalog) {
    if (e.isLink()) out.push_back(e);
  }
  return out;
}

const CatalogEntry* Database::findLink(std::u16string_view name) const {
  for (const auto& e : impl_->catalog) {
    if (e.isLink() && equalsIgnoreCase(e.name, name)) return &e;
  }
  return nullptr;
}

const std::u16string& Database::password() const { return impl_->password; }

size_t Database::openBackEnds() const { return impl_->links ? impl_->links->openCount() : 0; }

TableRef Database::table(std::u16string_view name) {
  if (findTable(name) || !findLink(name)) return TableRef{this, tableDef(name), nullptr};
  if (!impl_->links) impl_->links = std::make_unique<LinkedTables>();
  return impl_->links->resolve(*this, name);
}

std::shared_ptr<const TableDef> Database::tableDef(std::u16string_view name) {
  const CatalogEntry* e = findTable(name);
  if (!e) {
    throw Error(errc::kTableNotFound, "The table '" + toUtf8(name) + "' does not exist in the database.");
  }
  auto& slot = impl_->definitions[e->tdefPage()];
  if (!slot) {
    std::shared_ptr<TableDef> def;
    try {
      def = std::make_shared<TableDef>(readTableDefinition(*impl_->pager, e->tdefPage()));
    } catch (const DamageError& damage) {
      damage.rethrowIn(e->name);
    }
    def->name = e->name;
    slot = std::move(def);
  }
  return slot;
}

TableScan Database::scan(std::shared_ptr<const TableDef> def, std::vector<size_t> columns, ScanOrder order) {
  return TableScan(*impl_->pager, std::move(def), std::move(columns), order);
}

bool Database::readRow(const TableDef& def, RowPointer locator, std::span<const size_t> columns,
                       std::vector<Value>& out) {
  return jet::readRow(*impl_->pager, def, locator, columns, out);
}

void Database::refresh() {
  impl_->definitions.clear();
  impl_->catalog = readCatalog(*impl_->pager);
}

}  // namespace jet
