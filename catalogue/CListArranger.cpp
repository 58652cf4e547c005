#include "CListArranger.h"

#include "CMixorel2001Doc.h"
#include "CSong.h"
#include "CTextCase.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <numeric>
#include <random>
#include <string>

namespace {

using Order = std::vector<std::size_t>;

// Fisher-Yates over one section of the order: O(n), every permutation equally likely
// with a 64-bit generator, whatever the section's length.
void ShuffleSection(Order& order, const CListArranger::Section& section, std::mt19937_64& rng) {
    for (std::size_t i = section.count; i > 1; --i) {
        std::uniform_int_distribution<std::size_t> pick(0, i - 1);
        std::swap(order[section.first + i - 1], order[section.first + pick(rng)]);
    }
}

// Titles compare byte by byte after upper-casing, so the key is made once per line.
std::string TitleKey(const CSong& song) {
    return CTextCase::ToUpper(song.GetTitle());
}

template <typename Key>
void SortSectionBy(Order& order, const CListArranger::Section& section, bool ascending,
                   const std::vector<Key>& keys) {
    const auto begin = order.begin() + static_cast<std::ptrdiff_t>(section.first);
    const auto end = begin + static_cast<std::ptrdiff_t>(section.count);
    if (ascending) {
        std::stable_sort(begin, end,
                         [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    } else {
        std::stable_sort(begin, end,
                         [&keys](std::size_t a, std::size_t b) { return keys[b] < keys[a]; });
    }
}

template <typename Key, typename MakeKey>
void SortAll(Order& order, const std::vector<CListArranger::Section>& sections, bool ascending,
             const CMixorel2001Doc& doc, MakeKey makeKey) {
    std::vector<Key> keys(order.size());
    for (const CListArranger::Section& section : sections) {
        for (std::size_t line = section.first; line < section.first + section.count; ++line) {
            keys[line] = makeKey(*doc.GetSongAt(static_cast<int>(line)));
        }
        SortSectionBy(order, section, ascending, keys);
    }
}

Order Identity(std::size_t count) {
    Order order(count);
    std::iota(order.begin(), order.end(), std::size_t{0});
    return order;
}

} // namespace

CListArranger::CListArranger(CMixorel2001Doc& doc) : m_doc(doc) {}

bool CListArranger::Shuffle() {
    return Shuffle(FreshSeed());
}

bool CListArranger::Shuffle(std::uint64_t seed) {
    std::lock_guard<std::recursive_timed_mutex> lock(m_doc.GetMutex());
    Order order = Identity(static_cast<std::size_t>(m_doc.GetCount()));
    std::mt19937_64 rng(seed);
    for (const Section& section : FindSections(m_doc)) {
        ShuffleSection(order, section, rng);
    }
    return m_doc.RearrangeLines(order);
}

bool CListArranger::ShuffleRegion(const std::string& regionId) {
    std::lock_guard<std::recursive_timed_mutex> lock(m_doc.GetMutex());
    int region = -1;
    const CSong* header = m_doc.FindById(regionId, &region);
    if (header == nullptr || !header->IsRegion()) {
        return false;
    }
    const auto count = static_cast<std::size_t>(m_doc.GetCount());
    Order order = Identity(count);
    Section section{static_cast<std::size_t>(region) + 1, 0};
    while (section.first + section.count < count &&
           !m_doc.GetSongAt(static_cast<int>(section.first + section.count))->IsRegion()) {
        ++section.count;
    }
    std::mt19937_64 rng(FreshSeed());
    ShuffleSection(order, section, rng);
    return m_doc.RearrangeLines(order);
}

bool CListArranger::Sort(Criterion criterion, bool ascending) {
    std::lock_guard<std::recursive_timed_mutex> lock(m_doc.GetMutex());
    const auto count = static_cast<std::size_t>(m_doc.GetCount());
    if (count == 0) {
        return true;
    }
    Order order = Identity(count);
    const std::vector<Section> sections = FindSections(m_doc);
    switch (criterion) {
    case kTitle:
        SortAll<std::string>(order, sections, ascending, m_doc, TitleKey);
        break;
    case kDuration:
        SortAll<std::uint32_t>(order, sections, ascending, m_doc,
                               [](const CSong& song) { return song.GetDuration(); });
        break;
    case kBitrate:
        SortAll<std::int32_t>(order, sections, ascending, m_doc,
                              [](const CSong& song) { return song.GetBitrate(); });
        break;
    case kFileDate:
        SortAll<double>(order, sections, ascending, m_doc,
                        [](const CSong& song) { return song.GetFileDate().GetValue(); });
        break;
    default:
        return false;
    }
    return m_doc.RearrangeLines(order);
}

std::vector<CListArranger::Section> CListArranger::FindSections(const CMixorel2001Doc& doc) {
    std::lock_guard<std::recursive_timed_mutex> lock(doc.GetMutex());
    const auto count = static_cast<std::size_t>(doc.GetCount());
    std::vector<Section> sections;
    std::size_t first = 0;
    for (std::size_t line = 0; line <= count; ++line) {
        if (line == count || doc.GetSongAt(static_cast<int>(line))->IsRegion()) {
            if (line > first) {
                sections.push_back({first, line - first});
            }
            first = line + 1;
        }
    }
    return sections;
}

// The clock alone would repeat a shuffle within one tick; the device's entropy is mixed
// in so every shuffle starts afresh.
std::uint64_t CListArranger::FreshSeed() {
    std::random_device device;
    const auto now =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    return now ^ (static_cast<std::uint64_t>(device()) << 32U) ^ device();
}
