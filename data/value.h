// Field values of the data access layer: Null or a typed value, the engine's jet::Value.
#pragma once

#include "jet/util/value.h"

namespace data {

using Value = jet::Value;
using Null = jet::Null;
using DateTime = jet::DateTime;
using Currency = jet::Currency;

}  // namespace data
