// Jet 4 stored text. Plain values are UCS-2LE. A value that begins with FF FE uses "compressed
// Unicode": it starts in one-byte mode (each byte a character U+0000..U+00FF) and every 00 byte
// switches between one-byte and two-byte (UCS-2LE) mode. Jet 3 text is bytes of a Windows code
// page (code_page.h).
//
// Layout: docs/file-format.md#text-storage, docs/file-format-jet3.md#text
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

#include "jet/util/code_page.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jet {

// `n` one-byte characters as UTF-16 code units, eight or sixteen a step where SSE2 is at hand
// (every x86-64): most stored texts are names and places kept one byte per character.
inline void widenOneByteText(const uint8_t* in, size_t n, char16_t* out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), _mm_unpackhi_epi8(v, zero));
  }
  if (i + 8 <= n) {
    const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_unpacklo_epi8(v, zero));
    i += 8;
  }
#endif
  for (; i < n; ++i) out[i] = in[i];
}

// Whether `n` one-byte characters are the code units `text`, compared eight a step where SSE2
// is at hand.
inline bool sameAsOneByteText(const uint8_t* in, size_t n, const char16_t* text) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 8 <= n; i += 8) {
    const __m128i wide = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + i)), zero);
    const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(wide, units)) != 0xFFFF) return false;
  }
#endif
  for (; i < n; ++i) {
    if (text[i] != in[i]) return false;
  }
  return true;
}

// `n` characters stored as UCS-2LE: on a little-endian machine the bytes are the code units.
inline void readTwoByteText(const uint8_t* in, size_t n, char16_t* out) {
  if constexpr (std::endian::native == std::endian::little) {
    if (n != 0) std::memcpy(out, in, n * sizeof(char16_t));
  } else {
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char16_t>(in[2 * i] | (in[2 * i + 1] << 8));
  }
}

// Appends the characters of a stored text value to `out` (which is cleared first).
void decodeJetText(std::span<const uint8_t> stored, std::u16string& out);
std::u16string decodeJetText(std::span<const uint8_t> stored);

// A Text or Memo value of either format: Jet 3 bytes in its column's code page, or (null) Jet 4
// text as above.
inline void decodeStoredText(std::span<const uint8_t> stored, const CodePage* codePage, std::u16string& out) {
  if (codePage) {
    codePage->decode(stored, out);
  } else {
    decodeJetText(stored, out);
  }
}

}  // namespace jet
