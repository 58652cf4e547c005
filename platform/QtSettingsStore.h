#pragma once

#include "settings/ISettingsStore.h"

#include <QString>
#include <memory>
#include <mutex>

class QSettings;
class QVariant;

// The settings store of the program: an INI file through QSettings, by default
// $XDG_CONFIG_HOME/Mixorel/Mixorel.ini (~/.config/Mixorel/Mixorel.ini).
//
// Section and key names are stored lower-cased (a name a hand-edited file spells in
// capitals is still found), byte blocks as byte arrays. Every write
// goes to disk before it returns: QSettings writes the whole file to a temporary file
// and renames it over the old one (QSaveFile), so a crash never leaves half a file. A
// file that does not parse is moved aside as "<file>.damaged-<time>" and the values that
// could be read carry on in a new file. One object serves the whole process; a mutex
// makes it safe from any thread.
class QtSettingsStore : public ISettingsStore {
public:
    // The default file: $XDG_CONFIG_HOME (when absolute) or ~/.config, + "/Mixorel/Mixorel.ini".
    static QString DefaultFilePath();
    // Makes a store over the default file the process store, once; later calls do nothing.
    static void InstallProcessStore();

    explicit QtSettingsStore(const QString& filePath = DefaultFilePath());
    ~QtSettingsStore() override;
    QtSettingsStore(const QtSettingsStore&) = delete;
    QtSettingsStore& operator=(const QtSettingsStore&) = delete;

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

    const QString& FilePath() const { return m_strFilePath; }
    // The file a damaged settings file was moved to on opening; empty when none was.
    const QString& DamagedFilePath() const { return m_strDamagedPath; }

private:
    void Open();
    void RecoverDamagedFile();
    // Both expect the mutex to be held.
    QVariant FindValue(const QString& qtKey) const;
    bool StoreValue(const QString& qtKey, const QVariant& value);

    QString m_strFilePath;
    QString m_strDamagedPath;
    std::mutex m_mutex;
    std::unique_ptr<QSettings> m_pSettings;
};
