// Property blobs (MSysObjects.LvProp), where Jet keeps column properties such as
// Description and Required.
//
//   "MR2\0"
//   block: u32 length (incl. itself), u16 kind 0x0080, then the names:
//          u16 byte length + UCS-2LE name, each
//   block: u32 length, u16 kind (0x0000 the object itself, 0x0001 a column), then
//          u32 length of the name part (incl. itself), u16 name byte length, UCS-2LE name,
//          then entries: u16 entry length (incl.), u8 DDL flag, u8 Jet type code,
//          u16 index into the names, u16 value length, value bytes
//
// Layout: docs/file-format.md#property-blobs
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/util/value.h"

namespace jet {

struct PropertyValue {
  std::u16string name;
  ColumnType type;       // Boolean, Text/Memo (UCS-2LE), Long ...
  bool ddl = false;      // engine properties (Required, AllowZeroLength) carry the flag
  std::vector<uint8_t> value;
};

struct PropertySet {
  std::u16string target;  // column name; empty = the table itself
  bool isColumn = true;
  std::vector<PropertyValue> properties;
};

PropertyValue descriptionProperty(std::u16string_view text);
PropertyValue requiredProperty(bool required);

// The blob for the given sets; empty when no set has a property.
std::vector<uint8_t> buildPropertyBlob(const std::vector<PropertySet>& sets);

}  // namespace jet
