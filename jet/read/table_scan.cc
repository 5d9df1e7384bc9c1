#include "jet/read/table_scan.h"

#include <algorithm>

#include "jet/format/column_value.h"
#include "jet/util/damage.h"
#include "jet/util/error.h"
#include "jet/format/long_value.h"
#include "jet/format/pager.h"
#include "jet/format/row_view.h"
#include "jet/format/text_decoding.h"
#include "jet/format/usage_map.h"

namespace jet {
namespace {

// A moved row may in principle have moved again; more hops than this is a loop.
constexpr int kMaxOverflowHops = 8;

void decodeColumn(Pager& pager, const RowView& row, const ColumnDef& col, Value& out, Bytes& scratch) {
  if (col.type == ColumnType::Boolean) {
    out.storage() = row.presentBit(col.number);
    return;
  }
  auto bytes = row.columnBytes(col);
  if (!bytes) {
    out.storage() = Null{};
    return;
  }
  if (!col.isLongValue()) {
    decodeColumnValue(col, *bytes, out);
    return;
  }
  readLongValue(pager, *bytes, scratch);
  if (col.type == ColumnType::Memo) {
    auto* text = std::get_if<std::u16string>(&out.storage());
    if (!text) {
      out.storage() = std::u16string();
      text = std::get_if<std::u16string>(&out.storage());
    }
    decodeStoredText(scratch, col.codePage, *text);
  } else {
    out.storage() = scratch;
  }
}

void checkColumns(const TableDef& def, std::span<const size_t> columns) {
  for (size_t c : columns) {
    if (c >= def.columns.size()) {
      throw Error(errc::kItemNotFound, "Column position " + std::to_string(c) + " does not exist in the table.");
    }
  }
}

// Decodes the live row in `slot` of `page`, following a moved row's pointer. False for a
// deleted slot.
bool decodeSlot(Pager& pager, const TableDef& def, const DataPage& page, uint16_t slot,
                std::span<const size_t> columns, std::vector<Value>& out, Bytes& scratch) {
  if (page.isDeleted(slot)) return false;
  std::unique_ptr<DataPage> moved;
  const DataPage* at = &page;
  uint16_t r = slot;
  for (int hop = 0; at->isOverflowPointer(r); ++hop) {
    if (hop == kMaxOverflowHops) throwCorrupt(page.number(), "holds a moved row whose pointers loop");
    RowPointer target = RowPointer::fromRaw(at->row(r).u32(0));
    moved = std::make_unique<DataPage>(pager.read(target.page), "data");
    if (moved->owner() != def.firstPage()) {
      throwCorrupt(target.page, "holds a moved row of another table");
    }
    at = moved.get();
    r = target.row;
  }
  RowView row(at->row(r), def);
  out.resize(columns.size());
  for (size_t i = 0; i < columns.size(); ++i) {
    decodeColumn(pager, row, def.columns[columns[i]], out[i], scratch);
  }
  return true;
}

}  // namespace

std::optional<DataPage> ownDataPage(Pager& pager, PageRef ref, uint32_t tdefPage) {
  const Page& page = *ref;
  if (page.type() != page_type::kData) {
    throwCorrupt(page.number(), "is not one of its data pages (a page of type " + std::to_string(page.type()) + ")");
  }
  const ByteView view = page.view();
  const uint32_t owner = view.u32(kDataPageOwnerOffset);
  const bool own = owner == tdefPage;
  // Another owner's page is taken for a stale bit only when it is whole: a data page of
  // another table, of long values, or of usage maps (owner 0).
  if (!own && owner != kLvalPageOwner && owner != 0 &&
      (owner >= pager.pageCount() || pager.read(owner)->type() != page_type::kTableDefinition)) {
    throwCorrupt(page.number(), "is not one of its data pages (its owner, page " + std::to_string(owner) +
                                    ", is no table)");
  }
  DataPage data(std::move(ref));
  if (std::string problem = data.layoutProblem(); !problem.empty()) throwCorrupt(data.number(), problem);
  if (!own) return std::nullopt;
  return data;
}

TableScan::TableScan(Pager& pager, std::shared_ptr<const TableDef> def, std::vector<size_t> columns,
                     ScanOrder order, RowCountCheck check)
    : pager_(&pager),
      def_(std::move(def)),
      columns_(std::move(columns)),
      compareCount_(check == RowCountCheck::kCompare && def_->tableType != kTableTypeSystem) {
  checkColumns(*def_, columns_);
  try {
    pages_ = readUsageMap(pager, def_->ownedPagesMap);
  } catch (const DamageError& e) {
    e.rethrowIn(def_->name);
  }
  if (order == ScanOrder::kLastPageFirst) std::reverse(pages_.begin(), pages_.end());
  values_.resize(columns_.size());
}

bool TableScan::loadPage() {
  while (pageIndex_ < pages_.size()) {
    // Owned pages mostly come in runs of consecutive numbers: read each run at once.
    if (pageIndex_ >= readAheadEnd_) readAheadEnd_ = pager_->readAheadRun(pages_, pageIndex_);
    std::optional<DataPage> own = ownDataPage(*pager_, pager_->read(pages_[pageIndex_++]), def_->firstPage());
    if (!own) continue;
    page_ = std::make_unique<DataPage>(std::move(*own));
    row_ = 0;
    return true;
  }
  page_.reset();
  return false;
}

bool TableScan::advance() {
  for (;;) {
    if (!page_ || row_ >= page_->rowCount()) {
      if (!loadPage()) return false;
      continue;
    }
    uint16_t r = row_++;
    if (decodeSlot(*pager_, *def_, *page_, r, columns_, values_, scratch_)) {
      locator_ = RowPointer{page_->number(), r};
      return true;
    }
  }
}

bool TableScan::next() {
  try {
    if (advance()) {
      ++rowsFound_;
      return true;
    }
  } catch (const DamageError& e) {
    e.rethrowIn(def_->name);
  }
  if (compareCount_ && rowsFound_ != def_->rowCount) {
    compareCount_ = false;  // said once
    throw DamageError(def_->name, def_->firstPage(),
                      "its definition on page " + std::to_string(def_->firstPage()) + " counts " +
                          std::to_string(def_->rowCount) + " rows, its pages hold " + std::to_string(rowsFound_));
  }
  return false;
}

bool readRow(Pager& pager, const TableDef& def, RowPointer locator, std::span<const size_t> columns,
             std::vector<Value>& out) {
  checkColumns(def, columns);
  PageRef p = pager.read(locator.page);
  if (p->type() != page_type::kData) return false;
  DataPage page(std::move(p));
  if (page.owner() != def.firstPage() || locator.row >= page.rowCount()) return false;
  Bytes scratch;
  return decodeSlot(pager, def, page, locator.row, columns, out, scratch);
}

}  // namespace jet
