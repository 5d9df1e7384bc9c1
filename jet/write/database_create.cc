// A new database reproduces the structure Jet itself writes when ADOX creates a file:
//
//   page 0   header
//   page 1   global usage map (row 0; row 1 is a second, empty map Jet always adds)
//   page 2-5 TDEFs of MSysObjects, MSysACEs, MSysQueries, MSysRelationships
//   page 6   the 31 usage-map rows of those tables, their memo columns and indexes
//   page 7-8 MSysObjects index leaves (ParentIdName, Id)
//   page 9   MSysACEs index leaf (ObjectId)
//   page 10  MSysQueries index leaf (empty)
//   page 11-13 MSysRelationships index leaves (empty)
//   page 14  MSysObjects rows, page 15 MSysACEs rows
#include "jet/write/database_create.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <span>
#include <system_error>
#include <vector>

#include "jet/util/civil_date.h"
#include "jet/format/data_page_builder.h"
#include "jet/util/error.h"
#include "jet/port/file.h"
#include "jet/port/new_file.h"
#include "jet/format/header_page_builder.h"
#include "jet/format/index_key.h"
#include "jet/format/index_page_builder.h"
#include "jet/format/page_format.h"
#include "jet/format/row_builder.h"
#include "jet/format/system_catalog_layout.h"
#include "jet/format/table_definition_builder.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map_builder.h"

namespace jet {
namespace {

constexpr uint32_t kPageCount = 16;
constexpr uint32_t kObjectsDataPage = 14, kAcesDataPage = 15;

PageBytes tdefPage(const TableDef& t) {
  const auto logical = buildTableDefinition(t);
  const uint32_t self = 0;
  auto pages = splitTableDefinition(logical, std::span<const uint32_t>(&self, 1));
  return pages.at(0);
}

LongValueStore noLongValues() {
  return [](const ColumnDef&, std::span<const uint8_t>) -> std::vector<uint8_t> {
    throw Error(errc::kUnspecified, "A new catalog holds no long values.");
  };
}

// An empty path names no file; going on would write the scratch file into the working
// directory.
void requireFileName(const std::filesystem::path& path) {
  if (path.empty() || !path.has_filename()) {
    throw Error(errc::kUnspecified, "Cannot create the database file '" + pathText(path) +
                                        "': no file name is given.");
  }
}

// A failure names the file asked for, with the system's reason, never the scratch name.
FileError asCreationError(const std::filesystem::path& path, const FileError& e) {
  const std::string reason = e.reason().empty() ? std::string(e.description()) : e.reason();
  return FileError(errc::kUnspecified, "Cannot create the database file '" + pathText(path) + "': " + reason + ".",
                   reason);
}

PageBytes emptyLeaf(uint32_t owner) {
  IndexPageContent c;
  c.owner = owner;
  return buildIndexPage(c);
}

}  // namespace

double jetNow() {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t t = system_clock::to_time_t(now);
  std::tm local{};
#if defined(_WIN32)
  localtime_s(&local, &t);
#else
  localtime_r(&t, &local);
#endif
  const long ms = static_cast<long>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  const int64_t days = jetDayOfDate(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                                    static_cast<unsigned>(local.tm_mday));
  const double secs = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + ms / 1000.0;
  return static_cast<double>(days) + secs / 86400.0;
}

void createDatabase(const std::filesystem::path& path, const CreateOptions& options) {
  requireFileName(path);
  std::error_code ec;
  if (std::filesystem::exists(path, ec)) {
    throw Error(errc::kUnspecified, "Database already exists: " + pathText(path));
  }
  NewFile file(path);
  createDatabase(file, options);
  // Published only where nothing appeared meanwhile: a file made since the check above is
  // never replaced.
  bool published = false;
  try {
    published = file.publish();
  } catch (const FileError& e) {
    throw asCreationError(path, e);
  }
  if (!published) throw Error(errc::kUnspecified, "Database already exists: " + pathText(path));
}

void createDatabase(NewFile& file, const CreateOptions& options) {
  requireFileName(file.target());
  const double date = options.creationDate.value_or(jetNow());
  std::vector<PageBytes> pages(kPageCount);
  pages[0] = buildHeaderPage(date, options.password);

  // Page 1: the global map marks pages 0-15 used (clear bits) and every later page free.
  {
    DataPageBuilder::init(pages[1], 1);
    DataPageBuilder page(pages[1]);
    std::vector<uint8_t> global(kUsageMapRowSize, 0xFF);
    global[0] = usage_map_type::kInline;
    std::fill(global.begin() + 1, global.begin() + 5, 0);
    for (uint32_t p = 0; p < kPageCount; ++p) setInlineUsageBit(global, p, false);
    page.append(global);
    page.append(buildInlineUsageMap(0, kInlineBitmapBytes, {}));
  }

  auto objects = msysObjectsLayout();
  auto aces = msysAcesLayout();
  pages[2] = tdefPage(objects);
  pages[3] = tdefPage(aces);
  pages[4] = tdefPage(msysQueriesLayout());
  pages[5] = tdefPage(msysRelationshipsLayout());

  // Page 6: usage-map rows, in the order the TDEFs point at them.
  {
    DataPageBuilder::init(pages[6], 0);
    DataPageBuilder page(pages[6]);
    std::vector<std::vector<uint32_t>> contents(31);
    contents[0] = contents[1] = {kObjectsDataPage};
    contents[0x10] = {7};
    contents[0x11] = {8};
    contents[0x12] = contents[0x13] = {kAcesDataPage};
    contents[0x14] = {9};
    contents[0x19] = {10};
    contents[0x1C] = {11};
    contents[0x1D] = {12};
    contents[0x1E] = {13};
    for (const auto& c : contents) page.append(buildInlineUsageMap(0, kInlineBitmapBytes, c));
  }

  // Pages 14-15: catalog and ACE rows; index entries collected on the way.
  std::vector<IndexKey> parentIdName, byId, aceByObject;
  {
    DataPageBuilder::init(pages[kObjectsDataPage], 2);
    DataPageBuilder page(pages[kObjectsDataPage]);
    for (const auto& r : newCatalogRows(date)) {
      const uint8_t slot = page.append(buildRow(objects, r, noLongValues()));
      IndexKey k1;
      appendLongKey(k1, r[msys_objects::kParentId].get<int32_t>());
      appendTextKey(k1, std::u16string_view(r[msys_objects::kName].get<std::u16string>()));
      parentIdName.push_back(leafEntry(std::move(k1), kObjectsDataPage, slot));
      IndexKey k2;
      appendLongKey(k2, r[msys_objects::kId].get<int32_t>());
      byId.push_back(leafEntry(std::move(k2), kObjectsDataPage, slot));
    }
  }
  {
    DataPageBuilder::init(pages[kAcesDataPage], 3);
    DataPageBuilder page(pages[kAcesDataPage]);
    for (const auto& a : newAceRows()) {
      const uint8_t slot = page.append(buildRow(aces, aceRowValues(a), noLongValues()));
      IndexKey k;
      appendLongKey(k, a.objectId);
      aceByObject.push_back(leafEntry(std::move(k), kAcesDataPage, slot));
    }
  }
  auto leaf = [](uint32_t owner, std::vector<IndexKey> entries) {
    std::sort(entries.begin(), entries.end());
    IndexPageContent c;
    c.owner = owner;
    c.entries = std::move(entries);
    return buildIndexPage(c);
  };
  pages[7] = leaf(2, parentIdName);
  pages[8] = leaf(2, byId);
  pages[9] = leaf(3, aceByObject);
  pages[10] = emptyLeaf(4);
  pages[11] = emptyLeaf(5);
  pages[12] = emptyLeaf(5);
  pages[13] = emptyLeaf(5);

  try {
    File& out = file.create();
    const std::vector<std::span<const uint8_t>> pieces(pages.begin(), pages.end());
    out.writeAt(0, pieces);
    file.shareWithOthers();
  } catch (const FileError& e) {
    file.discard();
    throw asCreationError(file.target(), e);
  }
}

}  // namespace jet
