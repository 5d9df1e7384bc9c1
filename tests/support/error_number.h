// The engine's error an operation raises, for tests of refusals. data::Error is the same
// type as jet::Error, so this serves every layer's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace testsupport {

// The number of the jet::Error `f` throws, or 0 when it returns normally; with `description`
// given, the error's description is stored there.
int32_t errorNumberOf(const std::function<void()>& f, std::string* description = nullptr);

}  // namespace testsupport
