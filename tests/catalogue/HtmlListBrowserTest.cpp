// The HTML song list as a browser shows it: headless Chromium loads the page from a
// small local web server that, like most servers, names no character set, so the page's
// own declaration decides how its bytes are read. Needs the Debian package chromium; it
// is skipped only outside CI when the browser is missing.
#include "DocumentFakes.h"

#include "catalogue/CHtmlListWriter.h"
#include "catalogue/CMixorel2001Doc.h"

#include "support/TempDir.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

// Answers every request on 127.0.0.1 with the page, as "text/html" without a charset.
class PageServer {
public:
    explicit PageServer(std::string page) : m_page(std::move(page)) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* generic = reinterpret_cast<sockaddr*>(&address);
        if (m_fd < 0 || ::bind(m_fd, generic, length) != 0 || ::listen(m_fd, 8) != 0 ||
            ::getsockname(m_fd, generic, &length) != 0) {
            return;
        }
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }
    ~PageServer() {
        m_stop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    int Port() const { return m_port; }

private:
    void Serve() {
        while (!m_stop) {
            pollfd waiting{m_fd, POLLIN, 0};
            if (::poll(&waiting, 1, 100) <= 0) {
                continue;
            }
            const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0) {
                continue;
            }
            char request[4096];
            pollfd reading{client, POLLIN, 0};
            if (::poll(&reading, 1, 5000) > 0) {
                [[maybe_unused]] const ssize_t got = ::read(client, request, sizeof request);
            }
            const std::string reply = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n"
                                      "Content-Length: " +
                                      std::to_string(m_page.size()) +
                                      "\r\nConnection: close\r\n\r\n" + m_page;
            // A blocking send queues the whole (small) reply.
            [[maybe_unused]] const ssize_t sent =
                ::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(client);
        }
    }

    std::string m_page;
    int m_fd = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST(HtmlListBrowserTest, NonLatinTitlesShowAsWritten) {
    if (!TestFiles::HaveTool("chromium")) {
        if (std::getenv("CI") != nullptr) {
            FAIL() << "chromium is missing (tools/install-deps.sh installs it)";
        }
        GTEST_SKIP() << "chromium is not installed";
    }
    FakePrompt prompt;
    CMixorel2001Doc doc(&prompt);
    const char* const titles[] = {"宇多田ヒカル - 光", "Кино - Группа крови", "Σωκράτης - Ελλάδα",
                                  "Sigur Rós - Hoppípolla", "AC/DC - Rock & Roll <Live> \"1979\""};
    for (const char* title : titles) {
        CSong song = MakeSong(std::string("/m/") + title, 5000000, 128000);
        song.SetTitle(title);
        Insert(doc, song);
    }
    doc.SetModifiedFlag(false);
    doc.SetTitle("Ночь & 夜");
    PageServer server(CHtmlListWriter::Build(doc, "2026-12-06 12:00"));
    ASSERT_NE(server.Port(), 0);

    TempDir profile;
    const std::string dom = TestFiles::Capture(
        "timeout 120 chromium --headless --no-sandbox --disable-gpu --no-first-run "
        "--user-data-dir=" +
        TestFiles::ShellQuote(profile.Path()) +
        " --dump-dom http://127.0.0.1:" + std::to_string(server.Port()) + "/list.html 2>/dev/null");
    ASSERT_NE(dom.find("</html>"), std::string::npos) << dom;
    // The last title shows its markup escaped, as text: no <live> element appears.
    Texts expected(std::begin(titles), std::end(titles) - 1);
    expected.insert(expected.end(),
                    {"<title>Ночь &amp; 夜</title>", "<b>Playlist:</b> Ночь &amp; 夜",
                     "AC/DC - Rock &amp; Roll &lt;Live&gt; \"1979\"", ">4.77<", ">128 - 44<",
                     ">5:12<", "<b>Song count:</b> 5"});
    for (const std::string& text : expected) {
        EXPECT_NE(dom.find(text), std::string::npos) << text << "\n" << dom;
    }
}

} // namespace
