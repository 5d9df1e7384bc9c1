#include "jet/write/database_writer.h"

#include <algorithm>

#include "jet/format/data_page_builder.h"
#include "jet/write/database_writer_state.h"
#include "jet/util/error.h"
#include "jet/format/index_key.h"
#include "jet/util/byte_view.h"
#include "jet/util/byte_builder.h"
#include "jet/format/long_value.h"
#include "jet/format/long_value_builder.h"
#include "jet/format/row_builder.h"
#include "jet/format/table_definition_builder.h"
#include "jet/util/unicode.h"
#include "jet/format/usage_map.h"

namespace jet {
namespace {
// Batched writers write their pending pages once this many have gathered: 2 MB, some ten
// thousand short rows, written with a handful of calls.
constexpr size_t kBatchPages = 512;
}  // namespace

Error tableNotFound(std::u16string_view name) {
  return Error(errc::kTableNotFound, "The table '" + toUtf8(name) + "' does not exist.");
}

std::vector<uint8_t> indexKeyFor(const TableDef& def, const RealIndexDef& index, RowValues values) {
  IndexKey key;
  for (const auto& ic : index.columns) {
    auto pos = std::find_if(def.columns.begin(), def.columns.end(),
                            [&](const ColumnDef& c) { return c.number == ic.columnNumber; });
    if (pos == def.columns.end() || ic.order != 0x01) {
      throw Error(errc::kUnspecified, "Writing to this index is not supported.");
    }
    const Value& v = values[static_cast<size_t>(pos - def.columns.begin())];
    switch (pos->type) {
      case ColumnType::Long:
      case ColumnType::Integer:
      case ColumnType::Byte: {
        std::optional<int32_t> n;
        if (auto p = v.getIf<int32_t>()) n = *p;
        else if (auto p = v.getIf<int16_t>()) n = *p;
        else if (auto p = v.getIf<uint8_t>()) n = *p;
        else if (!v.isNull()) throw Error(errc::kTypeMismatch, "Index value of the wrong type.");
        if (pos->type != ColumnType::Long) {
          throw Error(errc::kUnspecified, "Writing to indexes on Integer or Byte columns is not supported.");
        }
        appendLongKey(key, n);
        break;
      }
      case ColumnType::Text: {
        if (v.isNull()) appendTextKey(key, std::nullopt);
        else appendTextKey(key, std::u16string_view(v.get<std::u16string>()));
        break;
      }
      default:
        throw Error(errc::kUnspecified, "Writing to indexes on this column type is not supported.");
    }
  }
  return key;
}

DatabaseWriter::DatabaseWriter(Database& db, Durability durability)
    : db_(db), durability_(durability), batchLimit_(kBatchPages), pages_(db.pager()) {
  if (!db.writable()) throw Error(errc::kUnspecified, "The database is open read-only.");
}

DatabaseWriter::~DatabaseWriter() {
  try {
    flush();
  } catch (...) {
  }
}

void DatabaseWriter::flush() {
  pages_.flush(true);
  refreshReader();
}

void DatabaseWriter::writePending() { pages_.flush(false); }

void DatabaseWriter::refreshReader() { db_.refresh(); }

void DatabaseWriter::afterChange() {
  if (durability_ == Durability::kBatched && pages_.pendingPages() < batchLimit_) return;
  try {
    pages_.flush(false);
  } catch (...) {
    // A file that refuses writes (a full disk) is tried again once another batch has
    // gathered, not after every row; writePending(), flush() and the destructor still try.
    if (durability_ == Durability::kBatched) batchLimit_ = pages_.pendingPages() + kBatchPages;
    throw;
  }
  batchLimit_ = kBatchPages;
}

DatabaseWriter::TableState& DatabaseWriter::state(std::u16string_view table) {
  // Rows come one at a time for the same table: its name as last spelt finds it at once.
  if (lastTable_ && sameText(table, lastTableName_)) return *lastTable_;
  const auto key = foldCase(table);
  TableState* found = nullptr;
  if (auto it = tables_.find(key); it != tables_.end()) {
    found = it->second.get();
  } else {
    const CatalogEntry* entry = db_.findTable(table);
    if (!entry) {
      if (const CatalogEntry* link = db_.findLink(table)) throw linkedTableReadOnly(*link);
      throw tableNotFound(table);
    }
    auto st = std::make_unique<TableState>();
    st->def = *db_.tableDef(table);
    found = tables_.emplace(key, std::move(st)).first->second.get();
  }
  // Entries are never removed, so the pointer stays good.
  lastTableName_ = table;
  lastTable_ = found;
  return *found;
}

const TableDef& DatabaseWriter::tableDef(std::u16string_view table) { return state(table).def; }

RowPointer DatabaseWriter::placeRow(uint32_t owner, uint32_t ownedMap, uint32_t freeMap, uint32_t& current,
                                    std::span<const uint8_t> row) {
  // A page that cannot take a row leaves the free-space map, as in Jet, unless it still has
  // this much room (a long-value piece may be far larger than the rows that would fit).
  constexpr uint16_t kStillFree = 512;
  const auto retire = [&](uint32_t page, const DataPageBuilder& dp) {
    if (freeMap != 0 && (dp.freeSpace() < kStillFree || !dp.fitsPlacing(0))) pages_.setUsage(freeMap, page, false, PageWorkspace::MapRole::kFreeSpace);
  };
  if (current != 0) {
    PageBytes& page = pages_.edit(current);
    DataPageBuilder dp(page);
    if (dp.fitsPlacing(row.size())) return {current, dp.place(row)};
    retire(current, dp);
  }
  // Pages the free-space map lists after the current one, in page order: space freed by
  // deletes is filled before the file grows. Each page is looked at once per writer.
  for (auto next = freeMap != 0 ? pages_.nextUsage(freeMap, current + 1) : std::nullopt; next;
       next = pages_.nextUsage(freeMap, *next + 1)) {
    if (*next >= pages_.pageCount()) break;
    pages_.readAhead(*next);
    PageBytes copy = pages_.read(*next);
    if (copy[0] != page_type::kData || ByteView(copy).u32(4) != owner) continue;
    DataPageBuilder candidate(copy);
    if (!candidate.fitsPlacing(row.size())) {
      retire(*next, candidate);
      continue;
    }
    current = *next;
    return {current, DataPageBuilder(pages_.edit(current)).place(row)};
  }
  const uint32_t fresh = pages_.allocate();
  PageBytes& page = pages_.edit(fresh);
  DataPageBuilder::init(page, owner);
  const uint8_t slot = DataPageBuilder(page).append(row);
  if (ownedMap != 0) pages_.setUsage(ownedMap, fresh, true, PageWorkspace::MapRole::kOwnedPages);
  if (freeMap != 0) pages_.setUsage(freeMap, fresh, true, PageWorkspace::MapRole::kFreeSpace);
  current = fresh;
  return {fresh, slot};
}

std::vector<uint8_t> DatabaseWriter::storeLongValue(TableState& t, const ColumnDef& column,
                                                    std::span<const uint8_t> data) {
  if (data.size() <= kLongValueInlineMax) return inlineLongValueHeader(data);
  if (data.size() > kLongValueLengthMask) throw Error(errc::kUnspecified, "A long value is too large.");
  if (column.lvOwnedMap == 0) throw Error(errc::kUnspecified, "The column has no long-value pages.");
  uint32_t& current = t.lvalPages[column.number];
  if (data.size() <= kLvalSingleRowMax) {
    const auto at = placeRow(kLvalPageOwner, column.lvOwnedMap, column.lvFreeMap, current, data);
    return singleRowLongValueHeader(static_cast<uint32_t>(data.size()), at.raw());
  }
  // A chain, placed last piece first so each piece knows where the next one is.
  const size_t pieces = (data.size() + kLvalChainPieceSize - 1) / kLvalChainPieceSize;
  uint32_t next = 0;
  for (size_t i = pieces; i-- > 0;) {
    const size_t off = i * kLvalChainPieceSize;
    const size_t n = std::min(kLvalChainPieceSize, data.size() - off);
    const auto piece = chainPiece(next, data.subspan(off, n));
    next = placeRow(kLvalPageOwner, column.lvOwnedMap, column.lvFreeMap, current, piece).raw();
  }
  return chainLongValueHeader(static_cast<uint32_t>(data.size()), next);
}

RowPointer DatabaseWriter::appendRow(TableState& t, RowValues values) {
  t.emptied = false;
  const auto row = t.encoder.encode(t.def, values, [&](const ColumnDef& c, std::span<const uint8_t> data) {
    return storeLongValue(t, c, data);
  });
  const auto at = placeRow(t.def.firstPage(), t.def.ownedPagesMap, t.def.freePagesMap, t.currentPage, row);
  ++t.def.rowCount;
  return at;
}

void DatabaseWriter::writeTableCounters(TableState& t) {
  PageBytes& page = pages_.edit(t.def.firstPage());
  le::put32(page, kTdefRowCountOffset, t.def.rowCount);
  le::put32(page, kTdefAutoNumberOffset, t.def.autoNumber);
  for (size_t i = 0; i < t.def.realIndexes.size(); ++i) {
    le::put32(page, tdefDistinctKeysOffset(i), t.def.realIndexes[i].distinctKeys);
  }
}

void DatabaseWriter::rewriteTableDefinition(TableState& t) {
  const auto logical = buildTableDefinition(t.def);
  const size_t need = tableDefinitionPageCount(logical.size());
  while (t.def.pages.size() < need) t.def.pages.push_back(pages_.allocate());
  // A shorter definition leaves former continuation pages unlinked.
  t.def.pages.resize(need);
  const auto built = splitTableDefinition(logical, t.def.pages);
  for (size_t i = 0; i < need; ++i) pages_.edit(t.def.pages[i]) = built[i];
  t.def.definitionLength = static_cast<uint32_t>(logical.size());
}

}  // namespace jet
