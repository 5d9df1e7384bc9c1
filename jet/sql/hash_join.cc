#include "jet/sql/hash_join.h"

#include <cassert>

#include "jet/error.h"
#include "jet/sql/collation.h"

namespace jet::sql {
namespace {

constexpr uint32_t kNone = UINT32_MAX;

// Hash of a row's key; false when a key column is Null (the row can match nothing).
// `scratch` holds a text key while it is hashed or compared (the pool keeps texts narrow).
struct Scratch {
  std::u16string a, b;
};

bool keyHash(const Relation& rel, size_t row, const std::vector<JoinKey>& keys, uint64_t& hash,
             Scratch& scratch) {
  hash = 0x9E3779B97F4A7C15ull;
  for (const JoinKey& k : keys) {
    uint32_t r = rel.tuples[row * rel.width + k.position];
    if (k.store->isNull(r)) return false;
    uint64_t h = k.store->isText() ? hashText(k.store->text(r, scratch.a)) : hashValue(k.store->get(r));
    hash = (hash ^ h) * 0x100000001B3ull + (hash >> 17);
  }
  return true;
}

bool keysEqual(const Relation& a, size_t rowA, const std::vector<JoinKey>& keysA,
               const Relation& b, size_t rowB, const std::vector<JoinKey>& keysB, Scratch& scratch) {
  for (size_t i = 0; i < keysA.size(); ++i) {
    const JoinKey& ka = keysA[i];
    const JoinKey& kb = keysB[i];
    uint32_t ra = a.tuples[rowA * a.width + ka.position];
    uint32_t rb = b.tuples[rowB * b.width + kb.position];
    if (ka.store->isText() && kb.store->isText()) {
      if (!equalsIgnoringCase(ka.store->text(ra, scratch.a), kb.store->text(rb, scratch.b))) return false;
    } else {
      std::optional<int> c = compareValues(ka.store->get(ra), kb.store->get(rb));
      if (!c || *c != 0) return false;
    }
  }
  return true;
}

}  // namespace

Relation hashJoin(const Relation& left, const std::vector<JoinKey>& leftKeys,
                  const Relation& right, const std::vector<JoinKey>& rightKeys) {
  assert(leftKeys.size() == rightKeys.size() && !leftKeys.empty());
  const bool buildLeft = left.rows() < right.rows();
  const Relation& build = buildLeft ? left : right;
  const Relation& probe = buildLeft ? right : left;
  const auto& buildKeys = buildLeft ? leftKeys : rightKeys;
  const auto& probeKeys = buildLeft ? rightKeys : leftKeys;

  Relation out;
  out.slots = left.slots;
  out.slots.insert(out.slots.end(), right.slots.begin(), right.slots.end());
  out.width = left.width + right.width;
  if (build.rows() == 0 || probe.rows() == 0) return out;
  if (build.rows() >= kNone) throw Error(errc::kUnspecified, "A join side has too many rows.");

  size_t buckets = 16;
  while (buckets < build.rows() * 2) buckets *= 2;
  std::vector<uint32_t> head(buckets, kNone);
  std::vector<uint32_t> next(build.rows(), kNone);
  std::vector<uint64_t> hashes(build.rows(), 0);
  Scratch scratch;
  // Inserted back to front so that each chain lists its rows in their original order.
  for (size_t i = build.rows(); i-- > 0;) {
    uint64_t h;
    if (!keyHash(build, i, buildKeys, h, scratch)) continue;
    hashes[i] = h;
    size_t b = h & (buckets - 1);
    next[i] = head[b];
    head[b] = static_cast<uint32_t>(i);
  }

  for (size_t p = 0; p < probe.rows(); ++p) {
    uint64_t h;
    if (!keyHash(probe, p, probeKeys, h, scratch)) continue;
    for (uint32_t i = head[h & (buckets - 1)]; i != kNone; i = next[i]) {
      if (hashes[i] != h || !keysEqual(build, i, buildKeys, probe, p, probeKeys, scratch)) continue;
      const uint32_t* l = buildLeft ? &build.tuples[i * build.width] : &probe.tuples[p * probe.width];
      const uint32_t* r = buildLeft ? &probe.tuples[p * probe.width] : &build.tuples[i * build.width];
      out.tuples.insert(out.tuples.end(), l, l + left.width);
      out.tuples.insert(out.tuples.end(), r, r + right.width);
    }
  }
  return out;
}

}  // namespace jet::sql
