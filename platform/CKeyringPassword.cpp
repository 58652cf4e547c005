#include "CKeyringPassword.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <map>
#include <mutex>

namespace {

constexpr const char* kService = "Mixorel broadcast";
// A keyring that does not answer within this time counts as absent.
constexpr int kAnswerLimitMs = 5000;

std::mutex g_mutex;
std::map<std::string, std::string>& RunPasswords() {
    static std::map<std::string, std::string> passwords;
    return passwords;
}

// Runs the job to its end (or the time limit); true when it finished without error.
bool RunJob(QKeychain::Job& job) {
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&finished] { finished = true; });
    job.setAutoDelete(false);
    job.start();
    limit.start(kAnswerLimitMs);
    if (!finished) {
        loop.exec();
    }
    return finished && job.error() == QKeychain::NoError;
}

} // namespace

std::string CKeyringPassword::EntryName(const std::string& user, const std::string& host, int port,
                                        const std::string& mount) {
    return user + "@" + host + ":" + std::to_string(port) + mount;
}

std::string CKeyringPassword::Read(const std::string& entry) {
    QKeychain::ReadPasswordJob job(QString::fromUtf8(kService));
    job.setKey(QString::fromStdString(entry));
    if (RunJob(job)) {
        return job.textData().toStdString();
    }
    std::lock_guard<std::mutex> lock(g_mutex);
    const auto found = RunPasswords().find(entry);
    return found != RunPasswords().end() ? found->second : std::string();
}

CKeyringPassword::Where CKeyringPassword::Write(const std::string& entry,
                                                const std::string& password) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        RunPasswords()[entry] = password;
    }
    QKeychain::WritePasswordJob job(QString::fromUtf8(kService));
    job.setKey(QString::fromStdString(entry));
    job.setTextData(QString::fromStdString(password));
    return RunJob(job) ? kKeyring : kRunOnly;
}

const char* CKeyringPassword::RunOnlyText() {
    return "No keyring answered, so the stream password is kept for this run only; it is not "
           "written to the settings file.";
}
