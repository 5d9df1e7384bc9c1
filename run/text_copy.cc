#include "run/text_copy.h"

#include <utility>
#include <variant>

#include "jet/util/value_text.h"

namespace run {

std::u16string textCopy(const data::Value& value) { return jet::textOf(value); }

std::u16string textCopy(data::Value&& value) {
  if (auto* text = std::get_if<std::u16string>(&value.storage())) return std::move(*text);
  return jet::textOf(value);
}

void makeTextCopy(data::Value& value) {
  if (!value.is<std::u16string>()) value = data::Value(jet::textOf(value));
}

}  // namespace run
