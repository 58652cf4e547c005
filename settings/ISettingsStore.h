#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The per-user settings store: named sections of named values, each a signed 32-bit
// integer, a text or a byte block. Section and key names compare without case. A value
// that is missing (or cannot be read as the type asked for) reads as the caller's
// default. Every operation is one self-contained read or write and may be called from
// any thread; a write is seen by every later read.
//
// A name holding '/' or '\' (or an empty name) is refused: writes fail, reads answer the
// default.
class ISettingsStore {
public:
    virtual ~ISettingsStore() = default;

    virtual std::int32_t GetProfileInt(std::string_view section, std::string_view key,
                                       std::int32_t nDefault) = 0;
    virtual bool WriteProfileInt(std::string_view section, std::string_view key,
                                 std::int32_t nValue) = 0;
    virtual std::string GetProfileString(std::string_view section, std::string_view key,
                                         std::string_view strDefault) = 0;
    virtual bool WriteProfileString(std::string_view section, std::string_view key,
                                    std::string_view strValue) = 0;
    // Fills bytes and answers true when a byte block is stored; false (bytes emptied)
    // otherwise.
    virtual bool GetProfileBinary(std::string_view section, std::string_view key,
                                  std::vector<std::uint8_t>& bytes) = 0;
    virtual bool WriteProfileBinary(std::string_view section, std::string_view key,
                                    std::span<const std::uint8_t> bytes) = 0;
};
