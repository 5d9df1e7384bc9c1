// RC4 stream cipher: the header mask and the page encoding of "encoded" databases both use it.
// Encoding and decoding are the same operation.
//
// Layout: docs/file-format.md#rc4
#pragma once

#include <cstdint>
#include <span>

namespace jet {

void rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

}  // namespace jet
