#include "CBroadcastSettings.h"

#include "SettingsKeys.h"

#include <array>
#include <charconv>

namespace Keys = SettingsKeys;
namespace Defaults = SettingsDefaults;

namespace {

constexpr std::array<int, 8> kOfferedBitrates = {32, 48, 64, 96, 128, 160, 192, 320};
constexpr std::string_view kScheme = "icecast://";

int InRange(int value, int low, int high, int fallback) {
    return value >= low && value <= high ? value : fallback;
}

std::string ReadText(ISettingsStore& store, std::string_view key, std::string_view fallback) {
    return store.GetProfileString(Keys::kSectionBroadcast, key, fallback);
}

} // namespace

CBroadcastSettings::CBroadcastSettings()
    : m_strHost(Defaults::kBroadcastHost), m_nPort(Defaults::kBroadcastPort),
      m_strMount(Defaults::kBroadcastMount), m_strUser(Defaults::kBroadcastUser),
      m_strStreamName(Defaults::kBroadcastStreamName), m_strGenre(Defaults::kBroadcastGenre),
      m_nFormat(Defaults::kBroadcastFormat), m_nBitrateKbps(Defaults::kBroadcastBitrate),
      m_bStream(Defaults::kBroadcastStream != 0), m_bRecord(Defaults::kBroadcastRecord != 0),
      m_nRecordFormat(Defaults::kBroadcastRecordFormat),
      m_nRecordSplit(Defaults::kBroadcastRecordSplit),
      m_strRecordFolder(Defaults::kBroadcastRecordFolder) {}

bool CBroadcastSettings::Load(ISettingsStore& store) {
    const CBroadcastSettings fresh;
    auto readInt = [&](std::string_view key, int fallback) {
        return store.GetProfileInt(Keys::kSectionBroadcast, key, fallback);
    };
    m_strHost = ReadText(store, Keys::kBroadcastHost, fresh.m_strHost);
    m_nPort = InRange(readInt(Keys::kBroadcastPort, fresh.m_nPort), 1, 65535, fresh.m_nPort);
    m_strMount = ReadText(store, Keys::kBroadcastMount, fresh.m_strMount);
    if (!m_strMount.starts_with('/')) {
        m_strMount = "/" + m_strMount;
    }
    m_strUser = ReadText(store, Keys::kBroadcastUser, fresh.m_strUser);
    m_strStreamName = ReadText(store, Keys::kBroadcastStreamName, fresh.m_strStreamName);
    m_strGenre = ReadText(store, Keys::kBroadcastGenre, fresh.m_strGenre);
    m_nFormat = InRange(readInt(Keys::kBroadcastFormat, fresh.m_nFormat), kMp3, kOpus, kMp3);
    m_nBitrateKbps = readInt(Keys::kBroadcastBitrate, fresh.m_nBitrateKbps);
    if (!IsOfferedBitrate(m_nBitrateKbps)) {
        m_nBitrateKbps = Defaults::kBroadcastBitrate;
    }
    m_bStream = readInt(Keys::kBroadcastStream, fresh.m_bStream ? 1 : 0) != 0;
    m_bRecord = readInt(Keys::kBroadcastRecord, fresh.m_bRecord ? 1 : 0) != 0;
    m_nRecordFormat = InRange(readInt(Keys::kBroadcastRecordFormat, fresh.m_nRecordFormat),
                              kRecordVorbis, kRecordMp3, kRecordVorbis);
    m_nRecordSplit = InRange(readInt(Keys::kBroadcastRecordSplit, fresh.m_nRecordSplit), kSplitHour,
                             kSplitShow, kSplitHour);
    m_strRecordFolder = ReadText(store, Keys::kBroadcastRecordFolder, fresh.m_strRecordFolder);
    return true;
}

bool CBroadcastSettings::Save(ISettingsStore& store) const {
    const std::string_view section = Keys::kSectionBroadcast;
    bool bAll = store.WriteProfileString(section, Keys::kBroadcastHost, m_strHost);
    bAll = store.WriteProfileInt(section, Keys::kBroadcastPort, m_nPort) && bAll;
    bAll = store.WriteProfileString(section, Keys::kBroadcastMount, m_strMount) && bAll;
    bAll = store.WriteProfileString(section, Keys::kBroadcastUser, m_strUser) && bAll;
    bAll = store.WriteProfileString(section, Keys::kBroadcastStreamName, m_strStreamName) && bAll;
    bAll = store.WriteProfileString(section, Keys::kBroadcastGenre, m_strGenre) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastFormat, m_nFormat) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastBitrate, m_nBitrateKbps) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastStream, m_bStream ? 1 : 0) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastRecord, m_bRecord ? 1 : 0) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastRecordFormat, m_nRecordFormat) && bAll;
    bAll = store.WriteProfileInt(section, Keys::kBroadcastRecordSplit, m_nRecordSplit) && bAll;
    bAll =
        store.WriteProfileString(section, Keys::kBroadcastRecordFolder, m_strRecordFolder) && bAll;
    return bAll;
}

// icecast://[user[:password]@]host[:port]/mount
bool CBroadcastSettings::ParseStreamUrl(std::string_view url) {
    if (!url.starts_with(kScheme)) {
        return false;
    }
    url.remove_prefix(kScheme.size());
    const std::size_t slash = url.find('/');
    if (slash == std::string_view::npos || slash + 1 >= url.size()) {
        return false;
    }
    std::string_view authority = url.substr(0, slash);
    const std::string_view mount = url.substr(slash);
    std::string_view user = Defaults::kBroadcastUser;
    std::string_view password;
    if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) {
        const std::string_view credentials = authority.substr(0, at);
        authority.remove_prefix(at + 1);
        const std::size_t colon = credentials.find(':');
        user = credentials.substr(0, colon);
        if (colon != std::string_view::npos) {
            password = credentials.substr(colon + 1);
        }
    }
    int port = Defaults::kBroadcastPort;
    std::string_view host = authority;
    if (const std::size_t colon = authority.rfind(':'); colon != std::string_view::npos) {
        host = authority.substr(0, colon);
        const std::string_view digits = authority.substr(colon + 1);
        const auto [end, error] =
            std::from_chars(digits.data(), digits.data() + digits.size(), port);
        if (error != std::errc() || end != digits.data() + digits.size() || port < 1 ||
            port > 65535) {
            return false;
        }
    }
    if (host.empty() || user.empty()) {
        return false;
    }
    m_strHost = host;
    m_nPort = port;
    m_strMount = mount;
    m_strUser = user;
    m_strPassword = password;
    return true;
}

bool CBroadcastSettings::IsOfferedBitrate(int kbps) {
    for (const int offered : kOfferedBitrates) {
        if (offered == kbps) {
            return true;
        }
    }
    return false;
}

const char* CBroadcastSettings::RecordExtension(int recordFormat) {
    switch (recordFormat) {
    case kRecordFlac:
        return "flac";
    case kRecordMp3:
        return "mp3";
    default:
        return "ogg";
    }
}
