#include "jet/format/pager.h"

#include <algorithm>
#include <cassert>

#include "jet/util/error.h"
#include "jet/util/rc4.h"

namespace jet {

Pager::Pager(File file, uint32_t pageSize, size_t cachePages)
    : Pager(std::make_shared<File>(std::move(file)), pageSize, cachePages) {}

Pager::Pager(std::shared_ptr<File> file, uint32_t pageSize, size_t cachePages)
    : file_(std::move(file)), pageSize_(pageSize), cache_(cachePages == 0 ? 1 : cachePages) {
  assert(pageSize_ == kPageSizeJet4 || pageSize_ == kPageSizeJet3);
  uint64_t pages = file_->size() / pageSize_;
  pageCount_ = pages > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(pages);
}

Pager Pager::reader(size_t cachePages) const {
  Pager r(file_, pageSize_, cachePages);
  r.pageCount_ = pageCount_;
  r.encodingKey_ = encodingKey_;
  r.textCodePage_ = textCodePage_;
  r.reader_ = true;
  return r;
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
  file_->readAt(static_cast<uint64_t>(page) * pageSize_, bytes);
  encodeInPlace(page, bytes);
  slot = std::make_shared<const Page>(page, std::move(bytes));
  return slot;
}

void Pager::readAhead(uint32_t first, uint32_t count) {
  count = std::min({count, kReadAheadPages, static_cast<uint32_t>(cache_.size())});
  if (first >= pageCount_) return;
  count = std::min(count, pageCount_ - first);
  // Pages already cached at the ends need no reading.
  auto cached = [&](uint32_t page) {
    const PageRef& slot = cache_[page % cache_.size()];
    return slot && slot->number() == page;
  };
  while (count > 0 && cached(first)) ++first, --count;
  while (count > 0 && cached(first + count - 1)) --count;
  if (count < 2) return;  // read() does one page as well
  run_.resize(static_cast<size_t>(count) * pageSize_);
  file_->readAt(static_cast<uint64_t>(first) * pageSize_, run_);
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t page = first + i;
    if (cached(page)) continue;
    const auto from = run_.begin() + static_cast<ptrdiff_t>(i) * pageSize_;
    std::vector<uint8_t> bytes(from, from + pageSize_);
    encodeInPlace(page, bytes);
    cache_[page % cache_.size()] = std::make_shared<const Page>(page, std::move(bytes));
  }
}

size_t Pager::readAheadRun(std::span<const uint32_t> pages, size_t at) {
  assert(at < pages.size());
  const bool down = at + 1 < pages.size() && pages[at + 1] + 1 == pages[at];
  size_t end = at + 1;
  while (end < pages.size() && end - at < kReadAheadPages &&
         (down ? pages[end] + 1 == pages[end - 1] : pages[end] == pages[end - 1] + 1)) {
    ++end;
  }
  readAhead(down ? pages[end - 1] : pages[at], static_cast<uint32_t>(end - at));
  return end;
}

PageRef Pager::readTyped(uint32_t page, uint8_t type, const char* what) {
  PageRef p = read(page);
  if (p->type() != type) {
    throwCorrupt(page, std::string("is not a ") + what + " page (type " + std::to_string(p->type()) + ")");
  }
  return p;
}

void Pager::writeRun(uint32_t first, std::span<const std::span<const uint8_t>> pages) {
  if (pages.empty()) return;
  if (reader_) throw Error(errc::kUnspecified, "A page cannot be written through a reading pager.");
  ++writes_;  // before the write: a failed one may still have changed some pages
  if (first > pageCount_) throwCorrupt(first, "cannot be written: it would leave a gap in the file");
  if (pages.size() > UINT32_MAX - first) throwCorrupt(first, "cannot be written: too many pages");
  for (const auto& p : pages) {
    if (p.size() != pageSize_) throw Error(errc::kUnspecified, "A page to write has the wrong size.");
  }
  const uint64_t offset = static_cast<uint64_t>(first) * pageSize_;
  if (encodingKey_ == 0) {
    file_->writeAt(offset, pages);
  } else {
    std::vector<uint8_t> stored(pages.size() * pageSize_);
    for (size_t i = 0; i < pages.size(); ++i) {
      const std::span<uint8_t> out(stored.data() + i * pageSize_, pageSize_);
      std::copy(pages[i].begin(), pages[i].end(), out.begin());
      encodeInPlace(first + static_cast<uint32_t>(i), out);
    }
    file_->writeAt(offset, std::span<const uint8_t>(stored));
  }
  const uint32_t end = first + static_cast<uint32_t>(pages.size());
  if (end > pageCount_) pageCount_ = end;
  for (uint32_t page = first; page < end; ++page) {
    PageRef& slot = cache_[page % cache_.size()];
    if (slot && slot->number() == page) slot.reset();
  }
}

}  // namespace jet
