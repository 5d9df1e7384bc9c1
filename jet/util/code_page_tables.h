// The generated code page tables (code_page_tables.cc, written by tools/codepages/generate.py)
// as code_page.cc reads them. Bytes 0x00-0x7F are ASCII on every page, so only 0x80-0xFF are
// tabled. A double-byte page keeps, per lead byte, the run of trail bytes from its first to its
// last defined one; a trail outside that run, or a pair undefined within it, gives `fallback`.
#pragma once

#include <cstdint>
#include <span>

namespace jet::code_page_tables {

struct LeadRow {
  uint16_t offset;  // of the trail byte `first` in Table::pairs
  uint8_t first;
  uint8_t count;
  bool lead;  // a lead byte, even when count is 0
};

struct Table {
  uint16_t number;
  const char16_t* high;   // 128 units, bytes 0x80-0xFF alone (a lead byte alone: fallback)
  const LeadRow* rows;    // 256, by byte; nullptr on a single-byte page
  const char16_t* pairs;  // the rows' units
  char16_t fallback;      // Windows' default character for an undefined pair
};

std::span<const Table> tables();

}  // namespace jet::code_page_tables
