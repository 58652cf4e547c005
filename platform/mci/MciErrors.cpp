#include "platform/mci/MciErrors.h"
#include "platform/mci/MciContext.h"

#include <array>
#include <utility>

namespace {

struct ErrorText {
    std::uint32_t code;
    const char* text;
};

constexpr std::array<ErrorText, 17> kErrorTexts = {{
    {MciError::kNone, "The specified command was carried out."},
    {MciError::kUnrecognizedKeyword,
     "The driver cannot recognize the specified command parameter."},
    {MciError::kUnrecognizedCommand, "The driver cannot recognize the specified command."},
    {MciError::kDeviceNotOpen, "The specified device is not open or is not recognized by MCI."},
    {MciError::kMissingCommand, "No command was specified."},
    {MciError::kBadInteger, "The specified integer is invalid for this command."},
    {MciError::kMissingParameter, "The specified command requires a parameter. Please supply one."},
    {MciError::kUnsupportedFunction,
     "The MCI device you are using does not support the specified command."},
    {MciError::kFileNotFound,
     "Cannot find the specified file. Make sure the path and filename are correct."},
    {MciError::kDeviceNotReady, "The device driver is not ready."},
    {MciError::kDriverError, "The device driver reported an error while playing the media."},
    {MciError::kOutOfRange, "The specified parameter is out of range for the specified command."},
    {MciError::kDuplicateAlias,
     "The specified alias is already being used in this application. Use a unique alias."},
    {MciError::kMissingDeviceName,
     "The specified command requires an alias, file, driver, or device name. Please supply one."},
    {MciError::kBadTimeFormat, "The specified time format is invalid for this device."},
    {MciError::kNoClosingQuote, "A closing quotation mark is missing from the parameter value."},
    {MciError::kInvalidFile, "The specified file cannot be played on the specified MCI device. "
                             "The file may be corrupt, or not in the correct format."},
}};

} // namespace

std::string GetMciErrorString(std::uint32_t error) {
    for (const ErrorText& entry : kErrorTexts) {
        if (entry.code == error) {
            return entry.text;
        }
    }
    return "Unknown media-control error " + std::to_string(error) + ".";
}
