#include "CMemorySettingsStore.h"

#include "StoreValueRules.h"

std::int32_t CMemorySettingsStore::GetProfileInt(std::string_view section, std::string_view key,
                                                 std::int32_t nDefault) {
    Value value;
    if (!Find(section, key, value)) {
        return nDefault;
    }
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return *number;
    }
    if (const auto* text = std::get_if<std::string>(&value)) {
        return StoreValueRules::ParseInt(*text).value_or(nDefault);
    }
    return nDefault;
}

bool CMemorySettingsStore::WriteProfileInt(std::string_view section, std::string_view key,
                                           std::int32_t nValue) {
    return Store(section, key, nValue);
}

std::string CMemorySettingsStore::GetProfileString(std::string_view section, std::string_view key,
                                                   std::string_view strDefault) {
    Value value;
    if (!Find(section, key, value)) {
        return std::string(strDefault);
    }
    if (const auto* number = std::get_if<std::int32_t>(&value)) {
        return std::to_string(*number);
    }
    if (auto* text = std::get_if<std::string>(&value)) {
        return std::move(*text);
    }
    return std::string(strDefault);
}

bool CMemorySettingsStore::WriteProfileString(std::string_view section, std::string_view key,
                                              std::string_view strValue) {
    return Store(section, key, std::string(strValue));
}

bool CMemorySettingsStore::GetProfileBinary(std::string_view section, std::string_view key,
                                            std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    Value value;
    if (!Find(section, key, value)) {
        return false;
    }
    if (auto* block = std::get_if<std::vector<std::uint8_t>>(&value)) {
        bytes = std::move(*block);
        return true;
    }
    return false;
}

bool CMemorySettingsStore::WriteProfileBinary(std::string_view section, std::string_view key,
                                              std::span<const std::uint8_t> bytes) {
    return Store(section, key, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

std::size_t CMemorySettingsStore::GetValueCount() const {
    std::lock_guard lock(m_mutex);
    return m_values.size();
}

void CMemorySettingsStore::Clear() {
    std::lock_guard lock(m_mutex);
    m_values.clear();
}

bool CMemorySettingsStore::Find(std::string_view section, std::string_view key,
                                Value& value) const {
    auto normalSection = StoreValueRules::NormalizeName(section);
    auto normalKey = StoreValueRules::NormalizeName(key);
    if (!normalSection || !normalKey) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    const auto it = m_values.find(Name(std::move(*normalSection), std::move(*normalKey)));
    if (it == m_values.end()) {
        return false;
    }
    value = it->second;
    return true;
}

bool CMemorySettingsStore::Store(std::string_view section, std::string_view key, Value value) {
    auto normalSection = StoreValueRules::NormalizeName(section);
    auto normalKey = StoreValueRules::NormalizeName(key);
    if (!normalSection || !normalKey) {
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_values[Name(std::move(*normalSection), std::move(*normalKey))] = std::move(value);
    return true;
}
