#include "jet/sql/column_store.h"

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
    width_ = w;
    fixed_.assign(size_ * w, 0);
  } else if (alternative_ == kText) {
    kind_ = Kind::Text;
    pool_ = std::make_unique<TextPool>();
    ids_.assign(size_, 0);
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
  std::vector<uint8_t>().swap(fixed_);
  std::vector<uint32_t>().swap(ids_);
  pool_.reset();
  std::vector<uint8_t>().swap(blob_);
  std::vector<uint64_t>().swap(blobEnds_);
}

void ColumnStore::append(const Value& v) {
  if ((size_ & 63) == 0) nulls_.push_back(0);
  bool null = v.isNull();
  if (!null && kind_ == Kind::Unset) startKind(v);
  if (!null && kind_ != Kind::Generic && v.storage().index() != alternative_) toGeneric();
  if (null) nulls_[size_ >> 6] |= uint64_t{1} << (size_ & 63);
  switch (kind_) {
    case Kind::Unset: break;
    case Kind::Fixed: {
      size_t at = fixed_.size();
      fixed_.resize(at + width_, 0);
      if (!null) {
        std::visit(
            [&](const auto& x) {
              using T = std::decay_t<decltype(x)>;
              if constexpr (std::is_trivially_copyable_v<T> && !std::is_same_v<T, Null>) {
                if constexpr (sizeof(T) <= 8) std::memcpy(&fixed_[at], &x, sizeof(T));
              }
            },
            v.storage());
      }
      break;
    }
    case Kind::Text: ids_.push_back(null ? 0 : pool_->intern(v.get<std::u16string>())); break;
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
      const uint8_t* p = &fixed_[row * width_];
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
        case kDateTime: return read(DateTime{});
      }
      return Value();
    }
    case Kind::Text: return Value(std::u16string(text(row)));
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

void ColumnStore::freeze() {
  nulls_.shrink_to_fit();
  fixed_.shrink_to_fit();
  ids_.shrink_to_fit();
  blob_.shrink_to_fit();
  blobEnds_.shrink_to_fit();
  if (pool_) pool_->freeze();
}

size_t ColumnStore::memoryBytes() const {
  size_t n = nulls_.capacity() * 8 + fixed_.capacity() + ids_.capacity() * 4 + blob_.capacity() +
             blobEnds_.capacity() * 8 + generic_.capacity() * sizeof(Value);
  if (pool_) n += pool_->memoryBytes();
  return n;
}

}  // namespace jet::sql
