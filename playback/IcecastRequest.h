#pragma once

#include <string>
#include <string_view>

// The HTTP request that sets the title of an Icecast mount (the admin "metadata" call a
// source client may make for its own mount), and the pieces it is made of.
namespace IcecastRequest {

// "GET /admin/metadata?mount=...&mode=updinfo&song=...&charset=UTF-8 HTTP/1.0" with Basic
// authorisation by the source user and password, ended by an empty line.
std::string TitleUpdate(std::string_view host, int port, std::string_view mount,
                        std::string_view user, std::string_view password, std::string_view title);
// Percent-encoding of everything but unreserved characters (RFC 3986).
std::string UrlEncode(std::string_view text);
std::string Base64(std::string_view bytes);

} // namespace IcecastRequest
