#include "cli/AlbumCommand.h"

#include "catalogue/CAlbumFile.h"
#include "cli/JsonText.h"

#include <cstdio>

namespace {

constexpr const char* kUsage = "usage: mixorel-cli album dump FILE.qma\n";

int Dump(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    std::vector<std::string> paths;
    const int result = CAlbumFile::Read(args[0], paths);
    if (result != CAlbumFile::kOk) {
        std::fprintf(stderr, "mixorel-cli: %s: %s\n", args[0].c_str(),
                     CAlbumFile::ResultText(result));
        return 1;
    }
    std::string out =
        "{\"signature\": " + JsonText::Quote(CAlbumFile::kSignature) + ", \"paths\": [";
    for (std::size_t i = 0; i < paths.size(); ++i) {
        out += i == 0 ? "\n  " : ",\n  ";
        out += JsonText::Quote(paths[i]);
    }
    out += paths.empty() ? "]}\n" : "\n]}\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

} // namespace

int RunAlbumCommand(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (args[0] == "dump") {
        return Dump(std::vector<std::string>(args.begin() + 1, args.end()));
    }
    std::fprintf(stderr, "mixorel-cli album: unknown command '%s'\n%s", args[0].c_str(), kUsage);
    return 2;
}
