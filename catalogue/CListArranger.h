#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CMixorel2001Doc;

// Shuffles or sorts a playlist section by section. Region header lines divide the list:
// the lines above the first region, and the lines after each region up to the next one,
// are each rearranged among themselves, and region lines never move. The whole new order
// is computed under the document lock and applied in one RearrangeLines call, so marks
// and the loop and schedule positions stay on their songs.
class CListArranger {
public:
    enum Criterion : int { kTitle = 0, kDuration = 1, kBitrate = 2, kFileDate = 3 };

    // A run of song lines: [first, first + count).
    struct Section {
        std::size_t first = 0;
        std::size_t count = 0;
    };

    explicit CListArranger(CMixorel2001Doc& doc);

    // Uniform shuffle of every section, freshly seeded each time.
    bool Shuffle();
    // The same with a given seed, so that a run can be repeated.
    bool Shuffle(std::uint64_t seed);
    // Shuffles the songs after one region line, up to the next region line.
    bool ShuffleRegion(const std::string& regionId);
    // Sorts every section by the criterion; equal keys keep their order in both
    // directions. An empty list succeeds at once.
    bool Sort(Criterion criterion, bool ascending);

    // The sections of the document's list, in list order (empty runs left out).
    static std::vector<Section> FindSections(const CMixorel2001Doc& doc);

private:
    static std::uint64_t FreshSeed();

    CMixorel2001Doc& m_doc;
};
