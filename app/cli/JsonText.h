#pragma once

#include <string>
#include <string_view>

// Small helpers for writing JSON by hand.
namespace JsonText {

// A JSON string literal for UTF-8 text: quotes, backslashes and control characters
// escaped, everything else kept as it is.
std::string Quote(std::string_view text);
// A double with 17 significant digits, so that it reads back exactly.
std::string Number(double value);

} // namespace JsonText
