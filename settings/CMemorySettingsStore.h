#pragma once

#include "ISettingsStore.h"

#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <variant>
#include <vector>

// A settings store held in memory, for tests and for a process that has no store file.
// Values read back as the file store's would: an integer reads as its decimal text, a
// decimal text reads as an integer, a byte block reads only as a byte block.
class CMemorySettingsStore : public ISettingsStore {
public:
    std::int32_t GetProfileInt(std::string_view section, std::string_view key,
                               std::int32_t nDefault) override;
    bool WriteProfileInt(std::string_view section, std::string_view key,
                         std::int32_t nValue) override;
    std::string GetProfileString(std::string_view section, std::string_view key,
                                 std::string_view strDefault) override;
    bool WriteProfileString(std::string_view section, std::string_view key,
                            std::string_view strValue) override;
    bool GetProfileBinary(std::string_view section, std::string_view key,
                          std::vector<std::uint8_t>& bytes) override;
    bool WriteProfileBinary(std::string_view section, std::string_view key,
                            std::span<const std::uint8_t> bytes) override;

    // Number of values stored, all sections together.
    std::size_t GetValueCount() const;
    // Removes every value.
    void Clear();

private:
    using Value = std::variant<std::int32_t, std::string, std::vector<std::uint8_t>>;
    using Name = std::pair<std::string, std::string>;

    bool Find(std::string_view section, std::string_view key, Value& value) const;
    bool Store(std::string_view section, std::string_view key, Value value);

    mutable std::mutex m_mutex;
    std::map<Name, Value> m_values;
};
