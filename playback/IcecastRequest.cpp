#include "IcecastRequest.h"

#include <cstdint>

namespace IcecastRequest {

std::string UrlEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (const char c : text) {
        const auto byte = static_cast<std::uint8_t>(c);
        const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                                (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' ||
                                byte == '.' || byte == '~';
        if (unreserved) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHex[byte >> 4];
            encoded += kHex[byte & 0x0F];
        }
    }
    return encoded;
}

std::string Base64(std::string_view bytes) {
    static constexpr char kDigits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const std::uint32_t n = static_cast<std::uint8_t>(bytes[i]) << 16 |
                                static_cast<std::uint8_t>(bytes[i + 1]) << 8 |
                                static_cast<std::uint8_t>(bytes[i + 2]);
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += kDigits[n >> 6 & 63];
        out += kDigits[n & 63];
    }
    const std::size_t rest = bytes.size() - i;
    if (rest > 0) {
        std::uint32_t n = static_cast<std::uint8_t>(bytes[i]) << 16;
        if (rest == 2) {
            n |= static_cast<std::uint8_t>(bytes[i + 1]) << 8;
        }
        out += kDigits[n >> 18 & 63];
        out += kDigits[n >> 12 & 63];
        out += rest == 2 ? kDigits[n >> 6 & 63] : '=';
        out += '=';
    }
    return out;
}

std::string TitleUpdate(std::string_view host, int port, std::string_view mount,
                        std::string_view user, std::string_view password, std::string_view title) {
    std::string credentials(user);
    credentials += ':';
    credentials += password;
    std::string request = "GET /admin/metadata?mount=" + UrlEncode(mount) +
                          "&mode=updinfo&song=" + UrlEncode(title) + "&charset=UTF-8 HTTP/1.0\r\n";
    request += "Host: " + std::string(host) + ":" + std::to_string(port) + "\r\n";
    request += "Authorization: Basic " + Base64(credentials) + "\r\n";
    request += "User-Agent: Mixorel\r\n\r\n";
    return request;
}

} // namespace IcecastRequest
