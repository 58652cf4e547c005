#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The entries of the playlists bar without any window: one per open playlist view, in
// list order, with the name shown, the state bits behind its icon, the selection and
// the activation rules (a changed selection activates its playlist at the next tick of
// the bar's 350 ms timer). Views and documents are identities only, never used.
class CPlaylistsBarEntries {
public:
    enum State : std::uint32_t {
        kLooping = 2,
        kNormal = 4,
        kAlarm = 8,
        kLocked = 16,
        kScheduled = 64
    };
    static constexpr int kActivationDelayMs = 350;
    static constexpr const char* kHeading = "Playlist";
    static constexpr const char* kTitle = "Playlists";

    struct Entry {
        const void* pView = nullptr;
        const void* pDocument = nullptr;
        std::string strName;
        std::uint32_t nState = 0;
    };

    // The title less a ".qmx" that ends it at its first occurrence.
    static std::string NameFor(const std::string& title);
    // 0-3 unlocked, 4-7 locked: +3 looping and alarm, +2 alarm, +0 looping, +1 neither.
    static int ImageIndex(std::uint32_t state);
    static std::string TooltipText(const std::string& name, double totalBytes,
                                   std::uint32_t totalSeconds, long songs);

    // A view that has an entry is selected; otherwise its entry is appended and selected.
    // Answers the entry's index.
    int AddEntry(const void* view, const void* document, const std::string& title, bool locked);
    bool RemoveEntry(const void* view);
    int IndexOf(const void* view) const;
    int GetCount() const { return static_cast<int>(m_entries.size()); }
    const Entry& GetEntry(int index) const { return m_entries.at(static_cast<std::size_t>(index)); }

    // Looping and scheduled are held by one document at a time: set on every entry of
    // the view's document and cleared elsewhere. The other bits belong to the view.
    bool SetState(const void* view, State bit, bool on);
    // The view of the first looping entry, or nullptr.
    const void* FindLooping() const;
    // Names re-read from the titles; answers the indexes whose name changed.
    template <typename TitleOf> std::vector<int> RefreshNames(TitleOf titleOf) {
        std::vector<int> changed;
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            std::string name = NameFor(titleOf(m_entries[i].pView));
            if (name != m_entries[i].strName) {
                m_entries[i].strName = std::move(name);
                changed.push_back(static_cast<int>(i));
            }
        }
        return changed;
    }

    // ---- Selection and activation ----
    void Select(int index);
    // Selects the entry of the window that has just become active elsewhere (a click in
    // the window, the Window menu): activating it from the bar would do nothing, and
    // stepping away from it and back must activate again.
    void SelectActive(int index);
    int GetSelected() const { return m_nSelected; }
    // The entry after (or before) the selected one, wrapping; -1 for an empty bar.
    int NextIndex(bool forward) const;
    // The view to activate for the selection now, or nullptr when it is the one activated
    // last (or nothing is selected). Activation remembers the index.
    const void* Activate();
    // The 350 ms tick: activates the selection when it or its view changed since the
    // previous tick.
    const void* Tick();

    // The entry songs dropped at a point go to: the item under the point, else the first
    // visible entry when the point is no more than 5 pixels below that entry's top (a list
    // scrolled down drops there, not on the hidden first entry); -1 refuses the drop.
    int DropTarget(int itemUnderPoint, int pointY, int firstVisible, int firstVisibleTop) const;

private:
    std::vector<Entry> m_entries;
    int m_nSelected = -1;
    int m_nLastActivated = -1;
    int m_nTickIndex = -1;
    const void* m_pTickView = nullptr;
};
