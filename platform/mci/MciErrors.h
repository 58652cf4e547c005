#pragma once

#include <cstdint>

// The error codes the media-control layer answers, numbered as the usual media-control
// codes are, so callers that show or log them see familiar values. 0 is success.
namespace MciError {

inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kUnrecognizedKeyword = 259;
inline constexpr std::uint32_t kUnrecognizedCommand = 261;
inline constexpr std::uint32_t kDeviceNotOpen = 263;
inline constexpr std::uint32_t kMissingCommand = 267;
inline constexpr std::uint32_t kBadInteger = 270;
inline constexpr std::uint32_t kMissingParameter = 273;
inline constexpr std::uint32_t kUnsupportedFunction = 274;
inline constexpr std::uint32_t kFileNotFound = 275;
inline constexpr std::uint32_t kDeviceNotReady = 276;
inline constexpr std::uint32_t kDriverError = 277;
inline constexpr std::uint32_t kOutOfRange = 282;
inline constexpr std::uint32_t kDuplicateAlias = 289;
inline constexpr std::uint32_t kMissingDeviceName = 292;
inline constexpr std::uint32_t kBadTimeFormat = 293;
inline constexpr std::uint32_t kNoClosingQuote = 294;
inline constexpr std::uint32_t kInvalidFile = 296;

} // namespace MciError
