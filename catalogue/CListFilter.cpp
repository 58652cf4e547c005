#include "CListFilter.h"

#include "CMixorel2001Doc.h"
#include "CTextCase.h"
#include "CWildcard.h"
#include "IListCommandUi.h"

#include <mutex>

namespace {

std::mutex& HistoryMutex() {
    static std::mutex mutex;
    return mutex;
}

std::vector<std::string>& History() {
    static std::vector<std::string> history;
    return history;
}

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kSpaces = " \t\r\n\f\v";
    const std::size_t first = text.find_first_not_of(kSpaces);
    if (first == std::string_view::npos) {
        return std::string_view();
    }
    return text.substr(first, text.find_last_not_of(kSpaces) - first + 1);
}

} // namespace

std::string CListFilter::AddToHistory(std::string_view pattern) {
    std::string trimmed(Trim(pattern));
    const std::string key = CTextCase::ToLower(trimmed);
    std::lock_guard lock(HistoryMutex());
    for (const std::string& entry : History()) {
        if (CTextCase::ToLower(entry) == key) {
            return trimmed;
        }
    }
    History().push_back(trimmed);
    return trimmed;
}

std::vector<std::string> CListFilter::GetHistory() {
    std::lock_guard lock(HistoryMutex());
    return History();
}

void CListFilter::ClearHistory() {
    std::lock_guard lock(HistoryMutex());
    History().clear();
}

std::string CListFilter::EffectivePattern(std::string_view pattern) {
    if (pattern.find('*') != std::string_view::npos) {
        return std::string(pattern);
    }
    std::string wrapped;
    wrapped.reserve(pattern.size() + 2);
    wrapped.push_back('*');
    wrapped.append(pattern);
    wrapped.push_back('*');
    return wrapped;
}

std::string CListFilter::TitleFor(std::string_view pattern) {
    std::string title;
    for (const char c : pattern) {
        if (c != '*') {
            title.push_back(c);
        }
    }
    return title;
}

std::size_t CListFilter::FilterInto(const CMixorel2001Doc& source, std::string_view pattern,
                                    CMixorel2001Doc& target) {
    const CWildcard wildcard(pattern);
    std::lock_guard lock(source.GetMutex());
    const int count = source.GetCount();
    std::vector<const CSong*> matches;
    for (int i = 0; i < count; ++i) {
        const CSong* song = source.GetSongAt(i);
        if (song != nullptr && wildcard.Match(song->GetTitleWithDate(false))) {
            matches.push_back(song);
        }
    }
    std::lock_guard targetLock(target.GetMutex());
    IUserPrompt::DuplicateAnswer answer = IUserPrompt::kYesToAll;
    std::size_t copied = 0;
    for (const CSong* song : matches) {
        copied += target.InsertSongAt(CMixorel2001Doc::kAfterLast, *song, answer) ? 1 : 0;
    }
    return copied;
}

bool CListFilter::Filter(CMixorel2001Doc& doc, IListCommandUi& ui, IUserPrompt& prompt) {
    std::string entered;
    if (!ui.AskFilterPattern(GetHistory(), entered)) {
        return false;
    }
    const std::string pattern = EffectivePattern(AddToHistory(entered));
    std::lock_guard lock(doc.GetMutex());
    CMixorel2001Doc* target = ui.CreatePlaylist(TitleFor(pattern));
    if (target == nullptr) {
        return false;
    }
    if (FilterInto(doc, pattern, *target) == 0) {
        prompt.Message(kNoMatchText);
        ui.ClosePlaylist(*target);
        return false;
    }
    // The songs went in one by one without a redraw; the new list's views show them now.
    target->UpdateViews(-1);
    ui.ShowPlaylist(*target);
    target->SetModifiedFlag(false);
    return true;
}
