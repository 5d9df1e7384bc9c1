#include "jet/sql/hash_join.h"

#include <cassert>
#include <cstring>
#include <unordered_map>

#include "jet/error.h"
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

template <typename Keys>
void join(const Relation& build, Keys& buildKeys, const Relation& probe, Keys& probeKeys,
          bool buildLeft, Relation& out) {
  size_t buckets = 16;
  while (buckets < build.rows() * 2) buckets *= 2;
  std::vector<uint32_t> head(buckets, kNone);
  std::vector<uint32_t> next(build.rows(), kNone);
  std::vector<uint64_t> hashes(build.rows(), 0);
  // Inserted back to front so that each chain lists its rows in their original order.
  for (size_t i = build.rows(); i-- > 0;) {
    uint64_t h;
    if (!buildKeys.hash(i, h)) continue;
    hashes[i] = h;
    size_t b = h & (buckets - 1);
    next[i] = head[b];
    head[b] = static_cast<uint32_t>(i);
  }
  // The matches are counted first, so the result is allocated once at its exact size rather
  // than grown by doubling, which would briefly hold it one and a half times over.
  size_t matches = 0;
  for (size_t p = 0; p < probe.rows(); ++p) {
    uint64_t h;
    if (!probeKeys.hash(p, h)) continue;
    for (uint32_t i = head[h & (buckets - 1)]; i != kNone; i = next[i]) {
      if (hashes[i] == h && buildKeys.equal(i, probeKeys, p)) ++matches;
    }
  }
  out.tuples.reserve(matches * out.width);
  out.count = matches;
  for (size_t p = 0; p < probe.rows(); ++p) {
    uint64_t h;
    if (!probeKeys.hash(p, h)) continue;
    for (uint32_t i = head[h & (buckets - 1)]; i != kNone; i = next[i]) {
      if (hashes[i] != h || !buildKeys.equal(i, probeKeys, p)) continue;
      if (buildLeft) {
        build.appendTupleTo(out.tuples, i);
        probe.appendTupleTo(out.tuples, p);
      } else {
        probe.appendTupleTo(out.tuples, p);
        build.appendTupleTo(out.tuples, i);
      }
    }
  }
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
