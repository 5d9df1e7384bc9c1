#include "jet/sql/column_store.h"

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace jet::sql {
namespace {

// Alternatives of ValueStorage, in its declaration order.
enum : size_t {
  kNull, kBool, kByte, kInt16, kInt32, kCurrency, kFloat, kDouble, kDateTime,
  kText, kBytes, kGuid, kDecimal
};

size_t fixedWidth(size_t alt) {
  switch (alt) {
    case kBool:
    case kByte: return 1;
    case kInt16: return 2;
    case kInt32:
    case kFloat: return 4;
    case kCurrency:
    case kDouble:
    case kDateTime: return 8;
    default: return 0;
  }
}

void putDecimal(const Decimal& d, std::vector<uint8_t>& out) {
  out.push_back(d.negative ? 1 : 0);
  out.push_back(d.scale);
  for (uint32_t m : d.mantissa) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(m >> (8 * i)));
  }
}

Decimal getDecimal(const uint8_t* p) {
  Decimal d;
  d.negative = p[0] != 0;
  d.scale = p[1];
  for (int k = 0; k < 3; ++k) {
    uint32_t m = 0;
    for (int i = 0; i < 4; ++i) m |= uint32_t(p[2 + 4 * k + i]) << (8 * i);
    d.mantissa[k] = m;
  }
  return d;
}

}  // namespace

void ColumnStore::startKind(const Value& v) {
  alternative_ = v.storage().index();
  if (size_t w = fixedWidth(alternative_)) {
    kind_ = Kind::Fixed;
    // Dates start as whole days in 4 bytes, the common case; widenDates() when one is not.
    width_ = alternative_ == kDateTime ? 4 : w;
    cells_ = FixedWidthBlocks(width_, size_);
  } else if (alternative_ == kText) {
    kind_ = Kind::Text;
    pool_ = std::make_unique<TextPool>();
    idWidth_ = 1;
    cells_ = FixedWidthBlocks(1, size_);
  } else {
    kind_ = Kind::Blob;
    blobEnds_.assign(size_, 0);
  }
}

void ColumnStore::toGeneric() {
  std::vector<Value> all;
  all.reserve(size_ + 1);
  for (size_t r = 0; r < size_; ++r) all.push_back(get(r));
  kind_ = Kind::Generic;
  generic_ = std::move(all);
  cells_ = FixedWidthBlocks();
  pool_.reset();
  std::vector<uint8_t>().swap(blob_);
  std::vector<uint64_t>().swap(blobEnds_);
}

void ColumnStore::widenDates() {
  // Every row so far, and the one being appended.
  FixedWidthBlocks wider(8, cells_.rows());
  for (size_t r = 0; r < cells_.rows(); ++r) {
    int32_t days;
    std::memcpy(&days, cells_.at(r), 4);
    const double d = days;
    std::memcpy(wider.at(r), &d, 8);
  }
  cells_ = std::move(wider);
  width_ = 8;
}

void ColumnStore::widenIds(size_t width) {
  FixedWidthBlocks wider(width, size_);
  for (size_t r = 0; r < size_; ++r) {
    uint32_t id = textId(r);
    std::memcpy(wider.at(r), &id, width);  // little-endian: the low bytes come first
  }
  cells_ = std::move(wider);
  idWidth_ = width;
}

void ColumnStore::appendText(std::u16string_view text) {
  uint32_t id = pool_->intern(text);
  if (idWidth_ == 1 && id > 0xFF) widenIds(2);
  if (idWidth_ == 2 && id > 0xFFFF) widenIds(4);
  std::memcpy(cells_.append(), &id, idWidth_);
}

void ColumnStore::append(const Value& v) {
  static_assert(std::endian::native == std::endian::little, "text ids are kept little-endian");
  assert(!records_ && "append() after keepRowByRow()");
  if ((size_ & 63) == 0) nulls_.push_back(0);
  const ValueStorage& s = v.storage();
  const bool null = s.index() == kNull;
  if (!null && kind_ == Kind::Unset) startKind(v);
  if (!null && kind_ != Kind::Generic && s.index() != alternative_) toGeneric();
  if (null) nulls_[size_ >> 6] |= uint64_t{1} << (size_ & 63);
  switch (kind_) {
    case Kind::Unset: break;
    case Kind::Fixed: {
      uint8_t* p = cells_.append();
      switch (null ? kNull : alternative_) {
        case kBool: *p = std::get<bool>(s) ? 1 : 0; break;
        case kByte: *p = std::get<uint8_t>(s); break;
        case kInt16: std::memcpy(p, &std::get<int16_t>(s), 2); break;
        case kInt32: std::memcpy(p, &std::get<int32_t>(s), 4); break;
        case kCurrency: std::memcpy(p, &std::get<Currency>(s).scaled, 8); break;
        case kFloat: std::memcpy(p, &std::get<float>(s), 4); break;
        case kDouble: std::memcpy(p, &std::get<double>(s), 8); break;
        case kDateTime: {
          const double d = std::get<DateTime>(s).days;
          if (width_ == 4) {
            // Exactly a whole number of days (and not -0): kept as that number.
            if (d >= INT32_MIN && d <= INT32_MAX && static_cast<int32_t>(d) == d &&
                !(d == 0 && std::signbit(d))) {
              const int32_t days = static_cast<int32_t>(d);
              std::memcpy(p, &days, 4);
              break;
            }
            widenDates();
            p = cells_.at(size_);
          }
          std::memcpy(p, &d, 8);
          break;
        }
        default: break;
      }
      break;
    }
    case Kind::Text:
      if (null) {
        cells_.append();
      } else {
        appendText(std::get<std::u16string>(s));
      }
      break;
    case Kind::Blob:
      if (!null) {
        if (const Bytes* b = v.getIf<Bytes>()) blob_.insert(blob_.end(), b->begin(), b->end());
        else if (const Guid* g = v.getIf<Guid>()) blob_.insert(blob_.end(), g->bytes.begin(), g->bytes.end());
        else if (const Decimal* d = v.getIf<Decimal>()) putDecimal(*d, blob_);
      }
      blobEnds_.push_back(blob_.size());
      break;
    case Kind::Generic: generic_.push_back(v); break;
  }
  ++size_;
}

Value ColumnStore::get(size_t row) const {
  if (isNull(row)) return Value();
  switch (kind_) {
    case Kind::Unset: return Value();
    case Kind::Fixed: {
      const uint8_t* p = cell(row);
      auto read = [p](auto x) {
        std::memcpy(&x, p, sizeof x);
        return Value(x);
      };
      switch (alternative_) {
        case kBool: return read(bool{});
        case kByte: return read(uint8_t{});
        case kInt16: return read(int16_t{});
        case kInt32: return read(int32_t{});
        case kCurrency: return read(Currency{});
        case kFloat: return read(float{});
        case kDouble: return read(double{});
        case kDateTime: return Value(DateTime{days(p)});
      }
      return Value();
    }
    case Kind::Text: return Value(pool_->get(textId(row)));
    case Kind::Blob: {
      size_t begin = row == 0 ? 0 : blobEnds_[row - 1];
      const uint8_t* p = blob_.data() + begin;
      if (alternative_ == kGuid) {
        Guid g;
        std::memcpy(g.bytes.data(), p, g.bytes.size());
        return Value(g);
      }
      if (alternative_ == kDecimal) return Value(getDecimal(p));
      return Value(Bytes(p, p + (blobEnds_[row] - begin)));
    }
    case Kind::Generic: return generic_[row];
  }
  return Value();
}

double ColumnStore::number(size_t row) const {
  const uint8_t* p = cell(row);
  auto read = [p](auto x) {
    std::memcpy(&x, p, sizeof x);
    return x;
  };
  switch (alternative_) {
    case kBool: return read(bool{}) ? -1.0 : 0.0;
    case kByte: return read(uint8_t{});
    case kInt16: return read(int16_t{});
    case kInt32: return read(int32_t{});
    case kCurrency: return read(int64_t{}) / 10000.0;
    case kFloat: return read(float{});
    case kDateTime: return days(p);
    default: return read(double{});
  }
}

void ColumnStore::keepRows(std::span<const uint32_t> rows) {
  if (size_ == 0) return;  // a column freed as not selected
  assert(!records_ && "keepRows() after keepRowByRow()");
  // rows[i] >= i, so every row moves towards the front and can be copied in place.
  std::vector<uint64_t> nulls((rows.size() + 63) / 64, 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (isNull(rows[i])) nulls[i >> 6] |= uint64_t{1} << (i & 63);
  }
  nulls_.swap(nulls);
  switch (kind_) {
    case Kind::Unset: break;
    case Kind::Fixed:
    case Kind::Text:
      for (size_t i = 0; i < rows.size(); ++i) {
        std::memmove(cells_.at(i), cells_.at(rows[i]), cellWidth());
      }
      cells_.truncate(rows.size());
      break;
    case Kind::Blob: {
      size_t at = 0;
      for (size_t i = 0; i < rows.size(); ++i) {
        size_t begin = rows[i] == 0 ? 0 : blobEnds_[rows[i] - 1];
        size_t end = blobEnds_[rows[i]];
        std::memmove(blob_.data() + at, blob_.data() + begin, end - begin);
        at += end - begin;
        blobEnds_[i] = at;
      }
      blob_.resize(at);
      blobEnds_.resize(rows.size());
      break;
    }
    case Kind::Generic:
      for (size_t i = 0; i < rows.size(); ++i) {
        if (i != rows[i]) generic_[i] = std::move(generic_[rows[i]]);
      }
      generic_.resize(rows.size());
      break;
  }
  size_ = rows.size();
}

void ColumnStore::freeze() {
  nulls_.shrink_to_fit();
  cells_.shrinkToFit();
  blob_.shrink_to_fit();
  blobEnds_.shrink_to_fit();
  if (pool_) pool_->freeze();
}

size_t ColumnStore::memoryBytes() const {
  size_t n = nulls_.capacity() * 8 + cells_.memoryBytes() + blob_.capacity() +
             blobEnds_.capacity() * 8 + generic_.capacity() * sizeof(Value);
  if (pool_) n += pool_->memoryBytes();
  if (countsRecords_) n += records_->memoryBytes();
  return n;
}

// Record layout: each moved store's cells at its offset, then one null bit per store.
void ColumnStore::keepRowByRow(std::span<ColumnStore* const> stores) {
  std::vector<ColumnStore*> moving;
  for (ColumnStore* s : stores) {
    if (!s->records_ && (s->kind_ == Kind::Unset || s->kind_ == Kind::Fixed || s->kind_ == Kind::Text)) {
      moving.push_back(s);
    }
  }
  if (moving.size() < 2) return;
  const size_t rows = moving.front()->size_;
  std::vector<size_t> offsets;
  size_t stride = 0;
  for (const ColumnStore* s : moving) {
    assert(s->size_ == rows);
    offsets.push_back(stride);
    stride += s->cellWidth();
  }
  const size_t nullBase = stride;
  stride += (moving.size() + 7) / 8;
  auto records = std::make_shared<FixedWidthBlocks>(stride, rows);
  for (size_t k = 0; k < moving.size(); ++k) {
    ColumnStore& s = *moving[k];
    const size_t width = s.cellWidth();
    const size_t nullByte = nullBase + k / 8;
    const auto nullMask = static_cast<uint8_t>(1u << (k % 8));
    for (size_t r = 0; r < rows; ++r) {
      uint8_t* record = records->at(r);
      if (width != 0) std::memcpy(record + offsets[k], s.cells_.at(r), width);
      if (s.isNull(r)) record[nullByte] |= nullMask;
    }
    s.cells_ = FixedWidthBlocks();
    std::vector<uint64_t>().swap(s.nulls_);
    s.records_ = records;
    s.cellOffset_ = offsets[k];
    s.nullByte_ = nullByte;
    s.nullMask_ = nullMask;
    s.countsRecords_ = k == 0;
  }
  records->shrinkToFit();
}

}  // namespace jet::sql
