#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Rules that every settings store follows, so that the in-memory store used by tests
// and the file store of the program answer alike.
namespace StoreValueRules {

// The form a section or key name is stored under: ASCII letters lower-cased, so names
// compare without case. Empty names and names holding '/' or '\' have no form.
std::optional<std::string> NormalizeName(std::string_view name);

// A stored text read as an integer: optional blanks, an optional sign, decimal digits,
// optional blanks, within the signed 32-bit range. Anything else has no value.
std::optional<std::int32_t> ParseInt(std::string_view text);

} // namespace StoreValueRules
