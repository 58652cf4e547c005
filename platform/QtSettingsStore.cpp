#include "QtSettingsStore.h"

#include "settings/ProcessSettingsStore.h"
#include "settings/StoreValueRules.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <limits>
#include <optional>
#include <utility>

namespace {

// The QSettings key of a section and key: both lower-cased, joined by "/".
std::optional<QString> QtKey(std::string_view section, std::string_view key) {
    const auto normalSection = StoreValueRules::NormalizeName(section);
    const auto normalKey = StoreValueRules::NormalizeName(key);
    if (!normalSection || !normalKey) {
        return std::nullopt;
    }
    return QString::fromStdString(*normalSection + "/" + *normalKey);
}

// A key of the form "section/key" with both parts present, as this store writes them.
bool IsStoreKey(const QString& key) {
    const auto parts = key.split(QLatin1Char('/'));
    return parts.size() == 2 && !parts[0].isEmpty() && !parts[1].isEmpty();
}

bool IsNumber(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

QString QtSettingsStore::DefaultFilePath() {
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
        base = QDir::homePath() + QStringLiteral("/.config");
    }
    return base + QStringLiteral("/Mixorel/Mixorel.ini");
}

void QtSettingsStore::InstallProcessStore() {
    static std::once_flag once;
    std::call_once(once, [] { SetSettingsStore(std::make_shared<QtSettingsStore>()); });
}

QtSettingsStore::QtSettingsStore(const QString& filePath) : m_strFilePath(filePath) {
    QDir().mkpath(QFileInfo(m_strFilePath).absolutePath());
    Open();
    if (m_pSettings->status() == QSettings::FormatError) {
        RecoverDamagedFile();
    }
}

QtSettingsStore::~QtSettingsStore() = default;

void QtSettingsStore::Open() {
    m_pSettings.reset();
    m_pSettings = std::make_unique<QSettings>(m_strFilePath, QSettings::IniFormat);
    // Never fall back to rewriting the file in place.
    m_pSettings->setAtomicSyncRequired(true);
    // Every write syncs under the mutex. Without a thread, QSettings receives none of the
    // deferred-sync events it would otherwise handle on its own, unguarded.
    m_pSettings->moveToThread(nullptr);
}

void QtSettingsStore::RecoverDamagedFile() {
    QList<std::pair<QString, QVariant>> values;
    const QStringList keys = m_pSettings->allKeys();
    for (const QString& key : keys) {
        if (IsStoreKey(key)) {
            values.append({key, m_pSettings->value(key)});
        }
    }
    m_pSettings.reset();
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss-zzz"));
    const QString damaged = m_strFilePath + QStringLiteral(".damaged-") + stamp;
    if (QFile::rename(m_strFilePath, damaged)) {
        m_strDamagedPath = damaged;
    }
    Open();
    if (m_strDamagedPath.isEmpty()) {
        // The damaged file could not be moved aside; it is left as it is (writes will
        // fail in such a folder anyway).
        return;
    }
    for (const auto& [key, value] : values) {
        m_pSettings->setValue(key, value);
    }
    m_pSettings->sync();
}

QVariant QtSettingsStore::FindValue(const QString& qtKey) const {
    if (m_pSettings->contains(qtKey)) {
        return m_pSettings->value(qtKey);
    }
    // A hand-edited file may spell a name in capitals.
    const QStringList keys = m_pSettings->allKeys();
    for (const QString& key : keys) {
        if (key.compare(qtKey, Qt::CaseInsensitive) == 0) {
            return m_pSettings->value(key);
        }
    }
    return {};
}

bool QtSettingsStore::StoreValue(const QString& qtKey, const QVariant& value) {
    m_pSettings->setValue(qtKey, value);
    m_pSettings->sync();
    if (m_pSettings->status() == QSettings::NoError) {
        return true;
    }
    // QSettings keeps its first error for good; a new object reports the next write's own.
    Open();
    return false;
}

// Every Qt value below is made, shared with QSettings and dropped while the mutex is
// held, so that no reference count of QSettings' data is touched by two threads at once
// outside it.

std::int32_t QtSettingsStore::GetProfileInt(std::string_view section, std::string_view key,
                                            std::int32_t nDefault) {
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    if (!qtKey) {
        return nDefault;
    }
    const QVariant value = FindValue(*qtKey);
    if (IsNumber(value)) {
        bool ok = false;
        const qlonglong number = value.toLongLong(&ok);
        const bool fits = ok && number >= std::numeric_limits<std::int32_t>::min() &&
                          number <= std::numeric_limits<std::int32_t>::max();
        return fits ? static_cast<std::int32_t>(number) : nDefault;
    }
    if (value.typeId() == QMetaType::QString) {
        return StoreValueRules::ParseInt(value.toString().toStdString()).value_or(nDefault);
    }
    return nDefault;
}

bool QtSettingsStore::WriteProfileInt(std::string_view section, std::string_view key,
                                      std::int32_t nValue) {
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    return qtKey && StoreValue(*qtKey, QVariant(static_cast<int>(nValue)));
}

std::string QtSettingsStore::GetProfileString(std::string_view section, std::string_view key,
                                              std::string_view strDefault) {
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    if (!qtKey) {
        return std::string(strDefault);
    }
    const QVariant value = FindValue(*qtKey);
    if (value.typeId() == QMetaType::QString || IsNumber(value)) {
        return value.toString().toStdString();
    }
    if (value.typeId() == QMetaType::QStringList) {
        // An unquoted text with commas, as a hand-edited file may hold.
        return value.toStringList().join(QLatin1Char(',')).toStdString();
    }
    return std::string(strDefault);
}

bool QtSettingsStore::WriteProfileString(std::string_view section, std::string_view key,
                                         std::string_view strValue) {
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    const auto size = static_cast<qsizetype>(strValue.size());
    return qtKey && StoreValue(*qtKey, QVariant(QString::fromUtf8(strValue.data(), size)));
}

bool QtSettingsStore::GetProfileBinary(std::string_view section, std::string_view key,
                                       std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    if (!qtKey) {
        return false;
    }
    const QVariant value = FindValue(*qtKey);
    if (value.typeId() != QMetaType::QByteArray) {
        return false;
    }
    const QByteArray block = value.toByteArray();
    bytes.assign(block.begin(), block.end());
    return true;
}

bool QtSettingsStore::WriteProfileBinary(std::string_view section, std::string_view key,
                                         std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(m_mutex);
    const auto qtKey = QtKey(section, key);
    const QByteArray block(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qsizetype>(bytes.size()));
    return qtKey && StoreValue(*qtKey, QVariant(block));
}
