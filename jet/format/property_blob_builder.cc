#include "jet/format/property_blob_builder.h"

#include <algorithm>

#include "jet/util/error.h"
#include "jet/util/byte_builder.h"

namespace jet {

PropertyValue descriptionProperty(std::u16string_view text) {
  PropertyValue p{u"Description", ColumnType::Memo, false, {}};
  for (char16_t c : text) {
    p.value.push_back(static_cast<uint8_t>(c));
    p.value.push_back(static_cast<uint8_t>(c >> 8));
  }
  return p;
}

PropertyValue requiredProperty(bool required) {
  return {u"Required", ColumnType::Boolean, true, {static_cast<uint8_t>(required ? 1 : 0)}};
}

std::vector<uint8_t> buildPropertyBlob(const std::vector<PropertySet>& sets) {
  std::vector<std::u16string> names;
  auto nameIndex = [&](const std::u16string& n) {
    auto it = std::find(names.begin(), names.end(), n);
    if (it != names.end()) return static_cast<uint16_t>(it - names.begin());
    names.push_back(n);
    return static_cast<uint16_t>(names.size() - 1);
  };
  std::vector<std::vector<uint8_t>> blocks;
  for (const auto& set : sets) {
    if (set.properties.empty()) continue;
    le::ByteBuilder b;
    b.u32(0);
    b.u16(set.isColumn ? 0x0001 : 0x0000);
    b.u32(static_cast<uint32_t>(6 + 2 * set.target.size()));
    b.u16(static_cast<uint16_t>(2 * set.target.size()));
    b.utf16(set.target);
    for (const auto& p : set.properties) {
      if (p.value.size() > 0xFFFF - 8) throw Error(errc::kUnspecified, "A property value is too long.");
      b.u16(static_cast<uint16_t>(8 + p.value.size()));
      b.u8(p.ddl ? 1 : 0);
      b.u8(static_cast<uint8_t>(p.type));
      b.u16(nameIndex(p.name));
      b.u16(static_cast<uint16_t>(p.value.size()));
      b.append(p.value);
    }
    auto bytes = b.take();
    le::put32(bytes, 0, static_cast<uint32_t>(bytes.size()));
    blocks.push_back(std::move(bytes));
  }
  if (blocks.empty()) return {};
  le::ByteBuilder out;
  out.u8('M');
  out.u8('R');
  out.u8('2');
  out.u8(0);
  le::ByteBuilder nameBlock;
  nameBlock.u32(0);
  nameBlock.u16(0x0080);
  for (const auto& n : names) {
    nameBlock.u16(static_cast<uint16_t>(2 * n.size()));
    nameBlock.utf16(n);
  }
  auto nb = nameBlock.take();
  le::put32(nb, 0, static_cast<uint32_t>(nb.size()));
  out.append(nb);
  for (const auto& b : blocks) out.append(b);
  return out.take();
}

}  // namespace jet
