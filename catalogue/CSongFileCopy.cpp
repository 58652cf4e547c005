#include "CSongFileCopy.h"

#include "media/AtomicFileWriter.h"
#include "media/PosixFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::string SystemError(int code) {
    return std::strerror(code != 0 ? code : EIO);
}

} // namespace

bool CSongFileCopy::Copy(const std::string& source, const std::string& target, std::string& error) {
    // Asked of the files themselves, so a link or a second mount of the song's folder is
    // caught as well as the plain path.
    std::error_code sameError;
    if (std::filesystem::equivalent(source, target, sameError) && !sameError) {
        error = kSameFileText;
        return false;
    }
    PosixFile input;
    if (!input.OpenRead(source)) {
        error = SystemError(errno);
        return false;
    }
    AtomicFileWriter output;
    if (!output.Create(target)) {
        error = SystemError(errno);
        return false;
    }
    errno = 0;
    if (!output.CopyFrom(input, 0) || !output.Commit()) {
        error = SystemError(errno);
        output.Discard();
        return false;
    }
    return true;
}
