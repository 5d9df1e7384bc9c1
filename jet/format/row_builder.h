// Encodes one table row in the layout row_view.h reads. Every fixed column takes its full
// size even when Null, and the row's column count is the table's largest column count, as
// Jet writes them.
//
// Layout: docs/file-format.md#row-layout
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <utility>
#include <vector>

#include "jet/format/table_definition.h"
#include "jet/util/value.h"

namespace jet {

inline constexpr size_t kMaxRecordSize = 4060;

// Stores long-value data that does not go inline; returns the 12-byte in-row header.
using LongValueStore = std::function<std::vector<uint8_t>(const ColumnDef&, std::span<const uint8_t>)>;

// The values of a row in column order as the encoder and the index keys read them, without
// copying any: the caller's values, or pointers to values kept elsewhere (a null pointer
// reads as Null), and one of them optionally standing in for another (the autonumber the
// writer gives a Null).
class RowValues {
 public:
  RowValues(std::span<const Value> values) : values_(values), size_(values.size()) {}  // NOLINT: a view
  RowValues(const std::vector<Value>& values) : RowValues(std::span<const Value>(values)) {}  // NOLINT
  explicit RowValues(std::span<const Value* const> pointers) : pointers_(pointers), size_(pointers.size()) {}
  // `row` with the value at `replaced` read as `with`.
  RowValues(const RowValues& row, size_t replaced, const Value& with) : RowValues(row) {
    replaced_ = replaced;
    with_ = &with;
  }
  RowValues(const RowValues&) = default;

  size_t size() const { return size_; }
  const Value& operator[](size_t i) const {
    if (i == replaced_) return *with_;
    if (!pointers_.empty()) return pointers_[i] ? *pointers_[i] : kNull;
    return values_[i];
  }

 private:
  static inline const Value kNull{};
  std::span<const Value> values_;
  std::span<const Value* const> pointers_;
  size_t size_ = 0;
  size_t replaced_ = static_cast<size_t>(-1);
  const Value* with_ = nullptr;
};

// Encodes rows into buffers it keeps, so that a writer encoding row after row allocates
// nothing once the buffers have grown to the largest row.
class RowEncoder {
 public:
  // `values` has one entry per layout.columns element (same order). Throws jet::Error for a
  // value the column cannot take, text longer than the column, or a record that is too
  // large. The bytes stay valid until the next call.
  std::span<const uint8_t> encode(const TableDef& layout, RowValues values,
                                  const LongValueStore& storeLongValue);

 private:
  std::vector<uint8_t> row_;
  std::vector<uint8_t> var_;                         // variable data in column order
  std::vector<std::pair<size_t, size_t>> slots_;     // per var slot: start and size in var_
  std::vector<uint8_t> mask_;
};

// One row encoded on its own (catalog rows of a new file and other one-off rows).
std::vector<uint8_t> buildRow(const TableDef& layout, RowValues values,
                              const LongValueStore& storeLongValue);

// The stored bytes of a long value (Memo text or OLE bytes) before it is placed.
std::vector<uint8_t> longValueBytes(const ColumnDef& column, const Value& value);

}  // namespace jet
