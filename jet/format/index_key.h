// Index keys as Jet sorts them: byte strings compared unsigned, column after column.
//
// Per column: a flag byte (0x7F non-null ascending, 0x00 null ascending, no data), then
//   Long/Integer/Byte  big-endian, top bit flipped (negatives sort first)
//   Text (General, legacy sort order)  one or two code bytes per character, case folded,
//                      trailing blanks dropped, then 01 00
// A leaf entry is the key followed by the row's page (3 bytes, big-endian) and row slot.
//
// Layout: docs/file-format.md#index-keys
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace jet {

using IndexKey = std::vector<uint8_t>;

void appendLongKey(IndexKey& key, std::optional<int32_t> value);
// Throws jet::Error for characters outside the set our catalog writer encodes (letters,
// digits, blank and _ . , ( ) # & $ + = @).
void appendTextKey(IndexKey& key, std::optional<std::u16string_view> value);
// True when every character of `text` can go into a text key.
bool isIndexableText(std::u16string_view text);

// Key + row pointer, as stored in a leaf page.
IndexKey leafEntry(IndexKey key, uint32_t page, uint8_t row);

}  // namespace jet
