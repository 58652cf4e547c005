#include "cli/PlaylistExchangeCommand.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CM3uReader.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistFile.h"

#include <cstdio>

namespace {

constexpr const char* kUsage = "usage: mixorel-cli playlist m3u IN.m3u -o OUT.qmx\n"
                               "       mixorel-cli playlist html IN.qmx OUT.html\n";

// Collects the messages the import would show, for stderr.
class MessagePrompt : public IUserPrompt {
public:
    void Message(const std::string& text) override { m_strMessage = text; }
    Answer Question(const std::string& /*text*/, bool /*withCancel*/) override { return kAnswerNo; }
    DuplicateAnswer DuplicateQuestion(const std::string& /*songTitle*/,
                                      const std::string& /*text*/) override {
        return kYesToAll;
    }
    bool SongData(std::string& /*title*/, std::string& /*location*/) override { return false; }

    std::string m_strMessage;
};

int Fail(const std::string& path, const std::string& reason) {
    std::fprintf(stderr, "mixorel-cli: %s: %s\n", path.c_str(), reason.c_str());
    return 1;
}

std::string FileName(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

} // namespace

int RunPlaylistM3u(const std::vector<std::string>& args) {
    if (args.size() != 3 || args[1] != "-o") {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = args[0];
    const std::string& out = args[2];
    MessagePrompt prompt;
    CMixorel2001Doc doc(&prompt);
    if (!CM3uReader::ReadM3u(doc, in, &prompt)) {
        return Fail(in, prompt.m_strMessage.empty() ? "the M3U list cannot be read"
                                                    : prompt.m_strMessage);
    }
    const int result = doc.OnSaveDocument(out);
    if (result != CPlaylistFile::kOk) {
        return Fail(out, CPlaylistFile::ResultText(result));
    }
    return 0;
}

int RunPlaylistHtml(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = args[0];
    const std::string& out = args[1];
    CMixorel2001Doc doc;
    const int result = doc.OnOpenDocument(in);
    if (result != CPlaylistFile::kOk) {
        return Fail(in, CPlaylistFile::ResultText(result));
    }
    doc.SetModifiedFlag(false);
    doc.SetTitle(FileName(in));
    if (!CHtmlListWriter::WriteHtmlList(doc, out, CHtmlListWriter::NowText())) {
        return Fail(out, "the HTML file cannot be written");
    }
    return 0;
}
