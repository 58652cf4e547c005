#include "Id3v2Upgrade.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <string>
#include <string_view>

namespace Id3v2Upgrade {
namespace {

struct IdPair {
    std::string_view from;
    std::string_view to;
};

// 2.2 identifiers whose frame data keeps its layout in 2.3. "LNK" (which embeds frame
// identifiers) and "CRM" (encrypted meta frames, gone in 2.3) are left out: dropped.
constexpr std::array<IdPair, 61> kIds = {{
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"EQU", "EQUA"},
    {"ETC", "ETCO"}, {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"},
    {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"},
    {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"},
    {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"},
    {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"},
    {"TT1", "TIT1"}, {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"},
    {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"},
    {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"},
    {"PIC", "APIC"},
}};

std::optional<std::string_view> NewId(std::string_view oldId) {
    const auto it = std::find_if(kIds.begin(), kIds.end(),
                                 [&](const IdPair& pair) { return pair.from == oldId; });
    if (it == kIds.end()) {
        return std::nullopt;
    }
    return it->to;
}

std::string MimeType(std::string_view format) {
    std::string lower;
    for (const char c : format) {
        if (c != '\0') {
            lower.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    if (lower == "jpg") {
        return "image/jpeg";
    }
    return "image/" + lower;
}

// PIC:  encoding(1) image format(3) picture type(1) description picture
// APIC: encoding(1) MIME type, zero byte  picture type(1) description picture
bool ConvertPicture(std::vector<std::uint8_t>& data) {
    if (data.size() < 5) {
        return false;
    }
    const std::string format(data.begin() + 1, data.begin() + 4);
    const std::string mime = MimeType(format);
    std::vector<std::uint8_t> out;
    out.reserve(data.size() + mime.size() + 1);
    out.push_back(data[0]);
    out.insert(out.end(), mime.begin(), mime.end());
    out.push_back(0);
    out.insert(out.end(), data.begin() + 4, data.end());
    data.swap(out);
    return true;
}

} // namespace

void ToVersion23(Id3v2Tag& tag) {
    std::vector<Id3v2Frame> converted;
    for (Id3v2Frame& frame : tag.Frames()) {
        const auto id = NewId(frame.id);
        if (!id || (frame.id == "PIC" && !ConvertPicture(frame.data))) {
            continue;
        }
        frame.id = std::string(*id);
        frame.statusFlags = 0;
        frame.formatFlags = 0;
        converted.push_back(std::move(frame));
    }
    tag.Frames().swap(converted);
    tag.SetVersion(3);
}

} // namespace Id3v2Upgrade
