#include "jet/read/linked_tables.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "jet/format/connect_text.h"
#include "jet/read/database.h"
#include "jet/util/error.h"
#include "jet/read/link_location.h"
#include "jet/util/unicode.h"

namespace jet {
namespace {

std::string named(std::u16string_view text) { return "'" + toUtf8(text) + "'"; }

std::string linkedTo(std::u16string_view asked, std::u16string_view foreign, std::u16string_view stored) {
  return "The table " + named(asked) + " is linked to the table " + named(foreign) + " of " + named(stored);
}

std::string listOf(const std::vector<std::filesystem::path>& paths) {
  std::string out;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) out += i + 1 == paths.size() ? " and " : ", ";
    out += quotedPath(paths[i]);
  }
  return out;
}

std::u16string foreignNameOf(const CatalogEntry& link) {
  return link.foreignName.empty() ? link.name : link.foreignName;
}

// Opens a back end read-only with the link's own password, else the front end's.
Database openBackEnd(const std::filesystem::path& path, const CatalogEntry& link, const Database& front,
                     std::u16string_view asked) {
  std::vector<std::u16string> passwords;
  const auto own = connectValue(link.connect, u"PWD");
  if (own) passwords.push_back(*own);
  if (passwords.empty() || passwords.front() != front.password()) passwords.push_back(front.password());
  for (size_t i = 0;; ++i) {
    try {
      return Database::open(path, passwords[i], false);
    } catch (const Error& e) {
      if (e.number() == errc::kInvalidPassword) {
        if (i + 1 < passwords.size()) continue;
        throw Error(errc::kInvalidPassword,
                    "Not a valid password. The database " + quotedPath(path) + ", which the linked table " +
                        named(asked) + " reads, " +
                        (own ? "accepts neither the link's password nor the one "
                                     : "does not accept the password (the link gives none) that ") +
                        quotedPath(front.path()) + " was opened with.");
      }
      throw Error(e.number(), linkedTo(asked, foreignNameOf(link), link.database) + ", found at " + quotedPath(path) +
                                  ", which cannot be read: " + e.description());
    }
  }
}

}  // namespace

std::filesystem::path fileIdentity(const std::filesystem::path& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
  if (ec) p = std::filesystem::absolute(path, ec).lexically_normal();
#ifdef _WIN32
  p = std::filesystem::path(foldCase(p.u16string()));
#endif
  return p;
}

Error linkedTableReadOnly(const CatalogEntry& link) {
  return Error(errc::kUnspecified, "The table " + named(link.name) + " is linked to " +
                                       (link.isOdbcLink() ? "an ODBC data source" : named(link.database)) +
                                       "; linked tables are read, never changed, here.");
}

LinkedTables::LinkedTables() = default;
LinkedTables::~LinkedTables() = default;

TableRef LinkedTables::resolve(Database& front, std::u16string_view name) {
  Database* db = &front;
  std::u16string want(name);
  const CatalogEntry* firstLink = nullptr;
  const CatalogEntry* lastLink = nullptr;
  std::vector<std::pair<std::filesystem::path, std::u16string>> chain;  // (file, name) followed
  for (;;) {
    if (db->findTable(want)) return TableRef{db, db->tableDef(want), firstLink};
    const CatalogEntry* link = db->findLink(want);
    if (!link) {
      if (!firstLink) return TableRef{db, db->tableDef(want), nullptr};  // throws "does not exist"
      throw Error(errc::kTableNotFound, linkedTo(name, want, lastLink->database) + ", found at " +
                                            quotedPath(db->path()) + ", which has no table of that name.");
    }
    if (!firstLink) firstLink = link;
    lastLink = link;
    if (link->isOdbcLink()) {
      const auto dsn = connectValue(link->connect, u"DSN");
      throw Error(errc::kUnspecified, "The table " + named(name) + " is linked to an ODBC data source" +
                                          (dsn ? " (DSN " + named(*dsn) + ")" : std::string()) +
                                          ", which this program cannot read; link it to an Access database instead.");
    }
    std::pair<std::filesystem::path, std::u16string> step{fileIdentity(db->path()), foldCase(want)};
    if (std::find(chain.begin(), chain.end(), step) != chain.end() || chain.size() >= static_cast<size_t>(kMaxLinkDepth)) {
      std::string path;
      for (const auto& [file, table] : chain) path += named(table) + " in " + quotedPath(file) + " -> ";
      throw Error(errc::kUnspecified, "The table " + named(name) + " cannot be read: its links lead in a circle (" +
                                          path + named(want) + " in " + quotedPath(step.first) + ").");
    }
    chain.push_back(std::move(step));
    Database& next = backEnd(front, *db, *link, name);
    want = foreignNameOf(*link);
    db = &next;
  }
}

Database& LinkedTables::backEnd(Database& front, const Database& linking, const CatalogEntry& link,
                                std::u16string_view asked) {
  std::u16string stored = link.database;
  if (stored.empty()) stored = connectValue(link.connect, u"DATABASE").value_or(u"");
  if (stored.empty()) {
    throw Error(errc::kUnspecified, "The table " + named(asked) + " is a link that names no database file.");
  }
  std::filesystem::path folder = linking.path().parent_path();
  if (folder.empty()) folder = ".";
  const LinkLocation where = locateBackEnd(stored, folder);
  if (where.found.empty()) {
    throw Error(errc::kUnspecified, linkedTo(asked, foreignNameOf(link), stored) +
                                        ", which was not found: looked for " + listOf(where.tried) + ".");
  }
  const std::filesystem::path id = fileIdentity(where.found);
  if (id == fileIdentity(front.path())) return front;
  if (auto it = opened_.find(id); it != opened_.end()) return *it->second;
  auto db = std::make_unique<Database>(openBackEnd(where.found, link, front, asked));
  return *opened_.emplace(id, std::move(db)).first->second;
}

}  // namespace jet
