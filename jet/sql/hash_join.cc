#include "jet/sql/hash_join.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <unordered_map>

#include "jet/util/error.h"
#include "jet/util/unicode.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

constexpr uint32_t kNone = UINT32_MAX;

uint64_t mix(uint64_t hash, uint64_t h) { return (hash ^ h) * 0x100000001B3ull + (hash >> 17); }

// A key column seen as one 64-bit word per row, such that two rows' keys are equal as Jet
// compares them exactly when their words are: a number's bits (-0 taken as 0), or for texts
// an id shared by both sides of the join for each text folded to lower case. Each distinct
// text is folded once, and words are worked out as rows are visited rather than kept for
// every row (a million-row side would need 8 MB per key column for them).
struct KeyColumn {
  const ColumnStore* store = nullptr;
  size_t position = 0;            // which row number of the tuple indexes the store
  bool text = false;
  std::vector<uint64_t> foldedId;  // per text id of the store's pool, for texts

  uint64_t word(uint32_t row) const {
    if (text) return foldedId[store->textId(row)];
    double d = store->number(row);
    if (d == 0) d = 0;
    uint64_t w;
    std::memcpy(&w, &d, sizeof w);
    return w;
  }
};

using FoldedIds = std::unordered_map<std::u16string, uint64_t>;

std::vector<uint64_t> foldedIds(const ColumnStore& s, FoldedIds& folded) {
  std::vector<uint64_t> idOf(s.pool().size());
  std::u16string text;
  for (uint32_t id = 0; id < idOf.size(); ++id) {
    s.pool().get(id, text);
    for (char16_t& c : text) c = foldCase(c);
    idOf[id] = folded.try_emplace(text, folded.size()).first->second;
  }
  return idOf;
}

using SideKeys = std::vector<KeyColumn>;

// Word keys for both sides, or nothing when a key pair is not two text or two number columns
// (the general comparison below handles those).
bool keyWords(const std::vector<JoinKey>& leftKeys, const std::vector<JoinKey>& rightKeys,
              SideKeys& left, SideKeys& right) {
  for (size_t i = 0; i < leftKeys.size(); ++i) {
    const ColumnStore& a = *leftKeys[i].store;
    const ColumnStore& b = *rightKeys[i].store;
    if (a.size() == 0 || b.size() == 0) return false;
    KeyColumn ka{&a, leftKeys[i].position, false, {}};
    KeyColumn kb{&b, rightKeys[i].position, false, {}};
    if (a.isText() && b.isText()) {
      FoldedIds folded;
      ka.text = kb.text = true;
      ka.foldedId = foldedIds(a, folded);
      kb.foldedId = foldedIds(b, folded);
    } else if (!(a.isNumber() && b.isNumber())) {
      return false;
    }
    left.push_back(std::move(ka));
    right.push_back(std::move(kb));
  }
  return true;
}

// The general key access: values compared and hashed as compare.h does.
class ValueKeys {
 public:
  ValueKeys(const Relation& rel, const std::vector<JoinKey>& keys) : rel_(rel), keys_(keys) {}

  // Hash of a row's key; false when a key column is Null (the row can match nothing).
  bool hash(size_t row, uint64_t& hash) {
    hash = 0x9E3779B97F4A7C15ull;
    for (const JoinKey& k : keys_) {
      uint32_t r = rel_.at(row, k.position);
      if (k.store->isNull(r)) return false;
      hash = mix(hash, k.store->isText() ? hashText(k.store->text(r, a_)) : hashValue(k.store->get(r)));
    }
    return true;
  }
  bool hashIsKey() const { return false; }
  bool equal(size_t row, ValueKeys& other, size_t otherRow) {
    for (size_t i = 0; i < keys_.size(); ++i) {
      const JoinKey& ka = keys_[i];
      const JoinKey& kb = other.keys_[i];
      uint32_t ra = rel_.at(row, ka.position);
      uint32_t rb = other.rel_.at(otherRow, kb.position);
      if (ka.store->isText() && kb.store->isText()) {
        if (!equalsIgnoringCase(ka.store->text(ra, a_), kb.store->text(rb, b_))) return false;
      } else {
        std::optional<int> c = compareValues(ka.store->get(ra), kb.store->get(rb));
        if (!c || *c != 0) return false;
      }
    }
    return true;
  }

 private:
  const Relation& rel_;
  const std::vector<JoinKey>& keys_;
  std::u16string a_, b_;  // texts being hashed or compared
};

// Key access through the words: no value is built and no text read per row.
class WordKeys {
 public:
  WordKeys(const Relation& rel, const SideKeys& keys) : rel_(rel), keys_(keys) {}

  bool hash(size_t row, uint64_t& hash) const {
    hash = 0x9E3779B97F4A7C15ull;
    for (const KeyColumn& k : keys_) {
      uint32_t r = rel_.at(row, k.position);
      if (k.store->isNull(r)) return false;
      uint64_t w = k.word(r);
      w ^= w >> 33;
      w *= 0xff51afd7ed558ccdull;
      hash = mix(hash, w ^ (w >> 33));
    }
    return true;
  }
  // With one key column the hash is a bijection of its word (each step of it can be undone),
  // so equal hashes are equal keys and the build side's key need not be read.
  bool hashIsKey() const { return keys_.size() == 1; }
  bool equal(size_t row, const WordKeys& other, size_t otherRow) const {
    for (size_t i = 0; i < keys_.size(); ++i) {
      uint32_t ra = rel_.at(row, keys_[i].position);
      uint32_t rb = other.rel_.at(otherRow, other.keys_[i].position);
      if (keys_[i].word(ra) != other.keys_[i].word(rb)) return false;
    }
    return true;
  }

 private:
  const Relation& rel_;
  const SideKeys& keys_;
};

// The build side's rows in an open-addressing table, each slot holding the row's whole
// hash: a probe mostly reads one slot. Rows go in in their order, so the rows that match one
// probing row are met, and joined, in that order too.
class BuildTable {
 public:
  template <typename Keys>
  BuildTable(const Relation& build, Keys& keys) {
    size_t size = 16;
    while (size < build.rows() * 2) size *= 2;
    slots_.assign(size, Slot{kNone, 0, 0});
    mask_ = size - 1;
    forGroups(build.rows(), keys, [&](size_t i, uint64_t h) {
      size_t s = h & mask_;
      while (slots_[s].row != kNone) s = (s + 1) & mask_;
      slots_[s] = Slot{static_cast<uint32_t>(i), static_cast<uint32_t>(h), static_cast<uint32_t>(h >> 32)};
    });
  }
  // Calls each(row, hash) for the rows 0..rows-1 that have a key, in order. Rows go in groups
  // whose slots are asked for together, so their cache misses overlap.
  template <typename Keys, typename Each>
  void forGroups(size_t rows, Keys& keys, Each each) const {
    constexpr size_t kGroup = 16;
    uint64_t hashes[kGroup];
    bool keyed[kGroup];
    for (size_t base = 0; base < rows; base += kGroup) {
      const size_t n = std::min(kGroup, rows - base);
      for (size_t k = 0; k < n; ++k) {
        keyed[k] = keys.hash(base + k, hashes[k]);
        if (keyed[k]) __builtin_prefetch(&slots_[hashes[k] & mask_]);
      }
      for (size_t k = 0; k < n; ++k) {
        if (keyed[k]) each(base + k, hashes[k]);
      }
    }
  }
  // Calls match(row) for each build row whose hash is `hash` and for which same(row) holds.
  template <typename Same, typename Match>
  void forEach(uint64_t hash, Same same, Match match) const {
    const auto low = static_cast<uint32_t>(hash), high = static_cast<uint32_t>(hash >> 32);
    for (size_t s = hash & mask_; slots_[s].row != kNone; s = (s + 1) & mask_) {
      const Slot& slot = slots_[s];
      if (slot.hashLow == low && slot.hashHigh == high && same(slot.row)) match(slot.row);
    }
  }

 private:
  struct Slot {
    uint32_t row;  // kNone: empty
    uint32_t hashLow, hashHigh;  // 12 bytes rather than 16 for an aligned 64-bit hash
  };
  std::vector<Slot> slots_;
  size_t mask_ = 0;
};

template <typename Keys>
void join(const Relation& build, Keys& buildKeys, const Relation& probe, Keys& probeKeys,
          bool buildLeft, Relation& out) {
  const BuildTable table(build, buildKeys);
  const bool hashIsKey = buildKeys.hashIsKey();
  auto probeAll = [&](auto onMatch) {
    table.forGroups(probe.rows(), probeKeys, [&](size_t p, uint64_t h) {
      table.forEach(
          h, [&](uint32_t i) { return hashIsKey || buildKeys.equal(i, probeKeys, p); },
          [&](uint32_t i) { onMatch(p, i); });
    });
  };
  // The matches are counted first, so the result is allocated once at its exact size rather
  // than grown by doubling, which would briefly hold it one and a half times over.
  size_t matches = 0;
  probeAll([&](size_t, uint32_t) { ++matches; });
  out.tuples.reserve(matches * out.width);
  out.count = matches;
  probeAll([&](size_t p, uint32_t i) {
    if (buildLeft) {
      build.appendTupleTo(out.tuples, i);
      probe.appendTupleTo(out.tuples, p);
    } else {
      probe.appendTupleTo(out.tuples, p);
      build.appendTupleTo(out.tuples, i);
    }
  });
}

}  // namespace

Relation hashJoin(Relation left, const std::vector<JoinKey>& leftKeys, Relation right,
                  const std::vector<JoinKey>& rightKeys) {
  assert(leftKeys.size() == rightKeys.size() && !leftKeys.empty());
  const bool buildLeft = left.rows() < right.rows();
  Relation& build = buildLeft ? left : right;
  Relation& probe = buildLeft ? right : left;
  if (build.rows() >= kNone) throw Error(errc::kUnspecified, "A join side has too many rows.");

  Relation out;
  out.slots = left.slots;
  out.slots.insert(out.slots.end(), right.slots.begin(), right.slots.end());
  out.word = left.word;
  for (int w : right.word) out.word.push_back(w == Relation::kFirstRow ? w : w + static_cast<int>(left.width));

  SideKeys leftWords, rightWords;
  const bool words = build.rows() > 0 && probe.rows() > 0 && keyWords(leftKeys, rightKeys, leftWords, rightWords);
  if (build.rows() == 1 && build.width == 0) {
    // Each result row is a probing row with the build side's one row, which takes no word:
    // the matching rows keep their words, where they are.
    const auto keepMatching = [&](auto& buildKeys, auto& probeKeys) {
      uint64_t buildHash = 0;
      const bool buildHasKey = buildKeys.hash(0, buildHash);
      probe.filter([&](size_t p) {
        uint64_t h;
        return buildHasKey && probeKeys.hash(p, h) && h == buildHash && buildKeys.equal(0, probeKeys, p);
      });
    };
    if (words) {
      WordKeys l(left, leftWords), r(right, rightWords);
      keepMatching(buildLeft ? l : r, buildLeft ? r : l);
    } else {
      ValueKeys l(left, leftKeys), r(right, rightKeys);
      keepMatching(buildLeft ? l : r, buildLeft ? r : l);
    }
    out.width = probe.width;
    out.count = probe.count;
    out.tuples = std::move(probe.tuples);
    return out;
  }

  out.width = left.width + right.width;
  if (build.rows() == 0 || probe.rows() == 0) return out;
  if (words) {
    WordKeys l(left, leftWords), r(right, rightWords);
    join(build, buildLeft ? l : r, probe, buildLeft ? r : l, buildLeft, out);
  } else {
    ValueKeys l(left, leftKeys), r(right, rightKeys);
    join(build, buildLeft ? l : r, probe, buildLeft ? r : l, buildLeft, out);
  }
  return out;
}

}  // namespace jet::sql
