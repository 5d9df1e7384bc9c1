// Page I/O: fixed-size pages of a database file, a bounded cache of decoded pages, and the RC4
// page encoding of "encoded" databases (every page but page 0, key = encoding key XOR page
// number, both little-endian 32-bit). Page 0 is passed through as stored: its own mask is the
// header's business (header_page.h).
//
// Layout: docs/file-format.md#rc4-page-encoding
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "jet/format/page_format.h"
#include "jet/util/byte_view.h"
#include "jet/util/code_page.h"
#include "jet/port/file.h"

namespace jet {

// One decoded page. Shared by the cache and its readers, so a page stays valid while held
// even when the cache moves on.
class Page {
 public:
  Page(uint32_t number, std::vector<uint8_t> bytes) : number_(number), bytes_(std::move(bytes)) {}
  uint32_t number() const { return number_; }
  std::span<const uint8_t> bytes() const { return bytes_; }
  ByteView view() const { return ByteView(bytes_, number_); }
  uint8_t type() const { return bytes_.empty() ? 0xFF : bytes_[0]; }

 private:
  uint32_t number_;
  std::vector<uint8_t> bytes_;
};
using PageRef = std::shared_ptr<const Page>;

class Pager {
 public:
  // The cache is for pages looked at again soon (definitions, usage maps, the page being
  // scanned); scans read each data page once, so a larger one only held a scan's tail (8 MB).
  explicit Pager(File file, uint32_t pageSize = kPageSizeJet4, size_t cachePages = 512);
  Pager(Pager&&) = default;
  Pager& operator=(Pager&&) = default;

  // A second pager over the same open file, for reading on another thread while this one
  // goes on: its own cache, the same pages and encoding as this one sees now. It never
  // writes. Reads at offsets need no shared position, so the two never meet.
  Pager reader(size_t cachePages = Pager::kReadAheadPages * 2) const;

  uint32_t pageSize() const { return pageSize_; }
  // Whole pages in the file; a partial page at the end does not count.
  uint32_t pageCount() const { return pageCount_; }
  void setEncodingKey(uint32_t key);
  uint32_t encodingKey() const { return encodingKey_; }
  // Jet 3 files (2048-byte pages) store text as bytes of a code page the header names; Jet 4
  // files store UTF-16 and leave this null.
  bool isJet3() const { return isJet3PageSize(pageSize_); }
  void setTextCodePage(const CodePage* codePage) { textCodePage_ = codePage; }
  const CodePage* textCodePage() const { return textCodePage_; }

  // The decoded page; throws a corrupt-page error for a page number beyond the file.
  PageRef read(uint32_t page);
  // Same, also checking the page type byte.
  PageRef readTyped(uint32_t page, uint8_t type, const char* what);
  // Brings pages first .. first + count - 1 (those not cached, within the file) into the
  // cache with one file read: a scan going through consecutive pages pays one system call
  // per run instead of one per page. At most kReadAheadPages, and never more than the cache
  // holds apart.
  static constexpr uint32_t kReadAheadPages = 32;
  void readAhead(uint32_t first, uint32_t count);
  // For a walk through `pages` in their order (ascending or descending page numbers) that is
  // about to read pages[at]: reads ahead the run of consecutive pages from there, and returns
  // the index past it, where the walk calls this again.
  size_t readAheadRun(std::span<const uint32_t> pages, size_t at);

  // Writes whole pages given in clear (encoding them when the database is encoded): pages[i]
  // becomes page first + i, all with one file write. Writing at pageCount() appends. Cached
  // copies of those pages are dropped rather than replaced: the writer keeps its own.
  void writeRun(uint32_t first, std::span<const std::span<const uint8_t>> pages);
  void write(uint32_t page, std::span<const uint8_t> bytes) { writeRun(page, {&bytes, 1}); }
  uint32_t append(std::span<const uint8_t> bytes) {
    uint32_t n = pageCount_;
    write(n, bytes);
    return n;
  }
  void sync() { file_->sync(); }
  // How many writes went through this pager: what was read before may have changed when it
  // moved.
  uint64_t writeCount() const { return writes_; }

  File& file() { return *file_; }
  const File& file() const { return *file_; }

 private:
  Pager(std::shared_ptr<File> file, uint32_t pageSize, size_t cachePages);
  void encodeInPlace(uint32_t page, std::span<uint8_t> bytes) const;

  std::shared_ptr<File> file_;  // shared with the readers made from this pager
  bool reader_ = false;
  uint32_t pageSize_;
  uint32_t pageCount_ = 0;
  uint32_t encodingKey_ = 0;
  const CodePage* textCodePage_ = nullptr;
  std::vector<PageRef> cache_;  // direct-mapped: slot = page % size
  std::vector<uint8_t> run_;    // readAhead's buffer, kept from run to run
  uint64_t writes_ = 0;
};

}  // namespace jet
