// One column of a static result, kept compactly: a null bitmap plus
//   - fixed-width numbers and truth values as their raw bytes (1 to 8 per row), dates as
//     whole days in 4 bytes until one holds a time of day, then as 8-byte doubles,
//   - texts as ids into a TextPool, 1, 2 or 4 bytes each: as narrow as the count of distinct
//     texts so far allows (courses and places fit in one byte, names in two),
//   - binary values, GUIDs and decimals as byte runs in one buffer.
// The kind is taken from the first value that is not Null; should a later value be of
// another kind (not seen from the engine), the column falls back to plain Values.
//
// Numbers and text ids are a column's cells. Once no row is added or dropped, the cells and
// null bits of a table's columns can move into one record per row (keepRowByRow): a result
// that reaches a table at random rows (the people a join finds for each course) then reads a
// row's columns from one cache line instead of one line per column.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "jet/sql/fixed_width_blocks.h"
#include "jet/sql/text_pool.h"
#include "jet/util/value.h"

namespace jet::sql {

class ColumnStore {
 public:
  void append(const Value& v);
  size_t size() const { return size_; }
  bool isNull(size_t row) const {
    if (records_) return (records_->at(row)[nullByte_] & nullMask_) != 0;
    return (nulls_[row >> 6] >> (row & 63)) & 1;
  }
  Value get(size_t row) const;
  // The row's text written into `out` (its buffer reused); false, and `out` as it was, when
  // the row holds Null or the column no text.
  bool textInto(size_t row, std::u16string& out) const {
    if (kind_ != Kind::Text || isNull(row)) return false;
    pool_->get(textId(row), out);
    return true;
  }
  // Fast access for joins and filters, valid for the column's kind.
  bool isText() const { return kind_ == Kind::Text; }
  // Numbers, dates and truth values kept as raw bytes; number() is their value as
  // compare.h's toNumber() gives it.
  bool isNumber() const { return kind_ == Kind::Fixed; }
  double number(size_t row) const;
  // A text's id in the column's pool, and the pool (for work once per distinct text).
  uint32_t textId(size_t row) const {
    const uint8_t* p = cell(row);
    switch (idWidth_) {
      case 1: return *p;
      case 2: {
        uint16_t id;
        std::memcpy(&id, p, sizeof id);
        return id;
      }
      default: {
        uint32_t id;
        std::memcpy(&id, p, sizeof id);
        return id;
      }
    }
  }
  const TextPool& pool() const { return *pool_; }
  // The text of a row, written into `scratch`: the pool keeps most texts one byte per character.
  std::u16string_view text(size_t row, std::u16string& scratch) const {
    pool_->get(textId(row), scratch);
    return scratch;
  }
  // For a reader about to read `row` (to load ahead), in the order the loads depend on each
  // other: its cell and null bit, then its text's bounds in the pool, then the text; null
  // when the row holds no text. The caller prefetches: a prefetch in a small function that
  // returns nothing is dropped by the compiler as having no effect.
  const void* cellAddress(size_t row) const { return cell(row); }
  const void* textBoundsAddress(size_t row) const {
    return isNull(row) ? nullptr : pool_->boundsAddress(textId(row));
  }
  const void* textAddress(size_t row) const {
    return isNull(row) ? nullptr : pool_->textAddress(textId(row));
  }
  // Keeps only the rows listed, which must be strictly increasing, renumbered 0, 1, ...
  void keepRows(std::span<const uint32_t> rows);
  void freeze();
  size_t memoryBytes() const;
  // Moves the cells and null bits of `stores` (frozen, of equal row counts) into one shared
  // record per row. Values stay as they are; stores already in records, and binary or mixed
  // columns, keep their own. Fewer than two such stores: nothing moves.
  static void keepRowByRow(std::span<ColumnStore* const> stores);
  bool inRecords() const { return records_ != nullptr; }

 private:
  enum class Kind { Unset, Fixed, Text, Blob, Generic };
  size_t cellWidth() const { return kind_ == Kind::Text ? idWidth_ : kind_ == Kind::Fixed ? width_ : 0; }
  const uint8_t* cell(size_t row) const {
    return records_ ? records_->at(row) + cellOffset_ : cells_.at(row);
  }
  void startKind(const Value& v);
  void toGeneric();
  void appendText(std::u16string_view text);
  void widenIds(size_t width);
  void widenDates();
  double days(const uint8_t* p) const {
    if (width_ == 4) {
      int32_t d;
      std::memcpy(&d, p, 4);
      return d;
    }
    double d;
    std::memcpy(&d, p, 8);
    return d;
  }

  Kind kind_ = Kind::Unset;
  size_t alternative_ = 0;  // index into ValueStorage for Fixed and Blob
  size_t width_ = 0;        // bytes per row for Fixed
  size_t idWidth_ = 1;      // bytes per row for Text
  size_t size_ = 0;
  std::vector<uint64_t> nulls_;
  FixedWidthBlocks cells_;  // fixed values or text ids, until they move into records_
  std::shared_ptr<const FixedWidthBlocks> records_;
  size_t cellOffset_ = 0;
  size_t nullByte_ = 0;
  uint8_t nullMask_ = 0;
  bool countsRecords_ = false;  // the store whose memoryBytes() includes the shared records
  std::unique_ptr<TextPool> pool_;
  std::vector<uint8_t> blob_;
  std::vector<uint64_t> blobEnds_;
  std::vector<Value> generic_;
};

}  // namespace jet::sql
