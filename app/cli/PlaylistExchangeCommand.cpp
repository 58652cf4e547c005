#include "cli/PlaylistExchangeCommand.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CListPrintJob.h"
#include "catalogue/CM3uReader.h"
#include "catalogue/CMixorel2001Doc.h"
#include "catalogue/CPlaylistColumns.h"
#include "catalogue/CPlaylistFile.h"
#include "cli/ModuleLoader.h"
#include "cli/SettingsStoreLoader.h"
#include "settings/CColumnLayoutSettings.h"

#include <cstdio>

namespace {

constexpr const char* kUsage = "usage: mixorel-cli playlist m3u IN.m3u -o OUT.qmx\n"
                               "       mixorel-cli playlist html IN.qmx OUT.html\n"
                               "       mixorel-cli playlist print IN.qmx OUT.pdf "
                               "[--page-size A4|Letter] [--pages FROM-TO]\n";

// "FROM-TO", both pages from 1 and FROM not after TO.
bool ParsePageRange(const std::string& text, int& first, int& last) {
    int from = 0;
    int to = 0;
    char dash = 0;
    char extra = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c", &from, &dash, &to, &extra) != 3 || dash != '-' ||
        from < 1 || to < from) {
        return false;
    }
    first = from;
    last = to;
    return true;
}

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

// The columns in the order and widths of the playlist view's stored layout.
void SetColumns(CListPrintJob& job) {
    CColumnLayoutSettings layout;
    layout.Load(CPlaylistColumns::kCount);
    for (int column = 0; column < CPlaylistColumns::kCount; ++column) {
        job.astrHeadings.emplace_back(CPlaylistColumns::Heading(column));
        const int stored = layout.GetSize(column);
        job.anWidth.push_back(stored >= 0 ? stored : CPlaylistColumns::DefaultWidth(column));
    }
    for (int position = 0; position < CPlaylistColumns::kCount; ++position) {
        job.anOrder.push_back(layout.GetColumnAt(position));
    }
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

int RunPlaylistPrint(const std::vector<std::string>& args) {
    std::string pageSize = "A4";
    int firstPage = 1;
    int lastPage = 0;
    bool pagesOk = true;
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--page-size" && i + 1 < args.size()) {
            pageSize = args[++i];
        } else if (args[i] == "--pages" && i + 1 < args.size()) {
            pagesOk = ParsePageRange(args[++i], firstPage, lastPage);
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2 || (pageSize != "A4" && pageSize != "Letter") || !pagesOk) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    const std::string& in = paths[0];
    const std::string& out = paths[1];
    CMixorel2001Doc doc;
    const int result = doc.OnOpenDocument(in);
    if (result != CPlaylistFile::kOk) {
        return Fail(in, CPlaylistFile::ResultText(result));
    }
    if (doc.GetCount() == 0) {
        return Fail(in, "the playlist is empty: nothing to print");
    }
    using PrintPdf = bool (*)(const CListPrintJob*, const char*, const char*, std::string*);
    std::string error;
    auto print = reinterpret_cast<PrintPdf>(
        LoadModuleSymbol("mixorel-print.so", "MixorelPrintPlaylistPdf", error));
    if (print == nullptr) {
        return Fail(out, "cannot load the list printer (" + error + ")");
    }
    InstallSettingsStore();
    CListPrintJob job;
    job.strTitle = FileName(in);
    job.strDate = CHtmlListWriter::NowText();
    SetColumns(job);
    job.nLines = doc.GetCount();
    job.nFirstPage = firstPage;
    job.nLastPage = lastPage;
    job.cellText = [&doc](int line, int column) {
        const CSong* song = doc.GetSongAt(line);
        return song != nullptr ? CPlaylistColumns::CellText(*song, column) : std::string();
    };
    if (!print(&job, out.c_str(), pageSize.c_str(), &error)) {
        return Fail(out, error);
    }
    return 0;
}
