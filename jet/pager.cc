#include "jet/pager.h"

#include <cassert>

#include "jet/rc4.h"

namespace jet {

Pager::Pager(File file, uint32_t pageSize, size_t cachePages)
    : file_(std::move(file)), pageSize_(pageSize), cache_(cachePages == 0 ? 1 : cachePages) {
  assert(pageSize_ == kPageSizeJet4 || pageSize_ == kPageSizeJet3);
  uint64_t pages = file_.size() / pageSize_;
  pageCount_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
}

void Pager::setEncodingKey(uint32_t key) {
  encodingKey_ = key;
  for (auto& slot : cache_) slot.reset();
}

void Pager::encodeInPlace(uint32_t page, std::span<uint8_t> bytes) const {
  if (encodingKey_ == 0 || page == 0) return;
  uint32_t k = encodingKey_ ^ page;
  const uint8_t key[4] = {static_cast<uint8_t>(k), static_cast<uint8_t>(k >> 8),
                          static_cast<uint8_t>(k >> 16), static_cast<uint8_t>(k >> 24)};
  rc4Apply(key, bytes);
}

PageRef Pager::read(uint32_t page) {
  if (page >= pageCount_) {
    throwCorrupt(page, "lies beyond the end of the file (" + std::to_string(pageCount_) + " pages)");
  }
  PageRef& slot = cache_[page % cache_.size()];
  if (slot && slot->number() == page) return slot;
  std::vector<uint8_t> bytes(pageSize_);
  file_.readAt(static_cast<uint64_t>(page) * pageSize_, bytes);
  encodeInPlace(page, bytes);
  slot = std::make_shared<const Page>(page, std::move(bytes));
  return slot;
}

PageRef Pager::readTyped(uint32_t page, uint8_t type, const char* what) {
  PageRef p = read(page);
  if (p->type() != type) {
    throwCorrupt(page, std::string("is not a ") + what + " page (type " + std::to_string(p->type()) + ")");
  }
  return p;
}

void Pager::write(uint32_t page, std::span<const uint8_t> bytes) {
  assert(bytes.size() == pageSize_);
  if (page > pageCount_) throwCorrupt(page, "cannot be written: it would leave a gap in the file");
  std::vector<uint8_t> clear(bytes.begin(), bytes.end());
  std::vector<uint8_t> stored = clear;
  encodeInPlace(page, stored);
  file_.writeAt(static_cast<uint64_t>(page) * pageSize_, stored);
  if (page == pageCount_) ++pageCount_;
  cache_[page % cache_.size()] = std::make_shared<const Page>(page, std::move(clear));
}

}  // namespace jet
