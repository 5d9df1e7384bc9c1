// Failures of the data access layer: the engine's jet::Error, which already carries an
// ADO-style number and a description, is the one error type of this layer too, so errors
// raised in jet/ pass through data/ unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "jet/util/error.h"

namespace data {

using Error = jet::Error;

namespace errc {
using namespace jet::errc;
// 0x80040E73: a connection string that does not parse.
inline constexpr int32_t kBadConnectionString = -2147217805;
// ADO's "Provider cannot be found": any provider other than Microsoft.Jet.OLEDB.4.0.
inline constexpr int32_t kProviderNotFound = 3706;
// ADO's "Operation is not allowed when the object is open."
inline constexpr int32_t kObjectOpen = 3705;
// ADO's "Arguments are of the wrong type, are out of acceptable range, or are in conflict".
inline constexpr int32_t kBadArguments = 3001;
// ADO's "Object or provider is not capable of performing requested operation."
inline constexpr int32_t kNotSupported = 3251;
// ADO's "The connection cannot be used to perform this operation" (no active connection).
inline constexpr int32_t kNoConnection = 3709;
}  // namespace errc

[[noreturn]] inline void fail(int32_t number, std::string description) {
  throw Error(number, std::move(description));
}

}  // namespace data
