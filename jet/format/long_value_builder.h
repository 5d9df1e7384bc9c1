// Long values (Memo, OLE) as the writer stores them; the layout is in long_value.h.
//   up to 64 bytes    inline after the 12-byte header (flag 0x80000000)
//   one LVAL row      header flag 0x40000000 + row pointer, when the data fits one row
//   a chain           header flag 0 + pointer to the first piece; each piece is
//                     u32 next row pointer (0 at the end) + up to kLvalChainPieceSize bytes
// LVAL pages are data pages whose owner field reads "LVAL".
//
// Layout: docs/file-format.md#long-values
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace jet {

inline constexpr size_t kLvalSingleRowMax = 4076;
inline constexpr size_t kLvalChainPieceSize = 4072;
// The longest value kept in its row; longer ones go to long-value pages.
inline constexpr size_t kLongValueInlineMax = 64;

std::vector<uint8_t> inlineLongValueHeader(std::span<const uint8_t> data);  // header + data
std::vector<uint8_t> singleRowLongValueHeader(uint32_t length, uint32_t rowPointer);
std::vector<uint8_t> chainLongValueHeader(uint32_t length, uint32_t firstRowPointer);
// One chain piece: next pointer + data.
std::vector<uint8_t> chainPiece(uint32_t nextRowPointer, std::span<const uint8_t> data);

}  // namespace jet
