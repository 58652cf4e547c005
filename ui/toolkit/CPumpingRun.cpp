#include "ui/toolkit/CPumpingRun.h"

#include <QApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <vector>

namespace {

// How often a waiting close looks again while a caller still unwinds (a box it shows).
constexpr int kRetryMs = 50;

std::vector<CPumpingRun*> g_runs;
std::function<void()> g_then;

bool IsAtMainLoop() {
    return g_runs.empty() && QApplication::activeModalWidget() == nullptr &&
           QThread::currentThread()->loopLevel() <= 1;
}

// Posted rather than called: the run's caller is still on the stack when the last run
// ends, and must return before the close destroys what it works on.
void PostThen() {
    QTimer::singleShot(0, qApp, [] {
        if (!g_then) {
            return;
        }
        if (!IsAtMainLoop()) {
            QTimer::singleShot(kRetryMs, qApp, [] { PostThen(); });
            return;
        }
        std::function<void()> then = std::move(g_then);
        g_then = nullptr;
        then();
    });
}

} // namespace

CPumpingRun::CPumpingRun() {
    g_runs.push_back(this);
}

CPumpingRun::~CPumpingRun() {
    g_runs.erase(std::remove(g_runs.begin(), g_runs.end(), this), g_runs.end());
    if (g_runs.empty() && g_then) {
        PostThen();
    }
}

bool CPumpingRun::AnyRunning() {
    return !g_runs.empty();
}

void CPumpingRun::CancelAllThen(std::function<void()> then) {
    for (CPumpingRun* run : g_runs) {
        run->m_bCancelled = true;
    }
    g_then = std::move(then);
    if (g_runs.empty()) {
        PostThen();
    }
}
