#pragma once

#include "ISettingsStore.h"
#include "ProcessSettingsStore.h"

#include <cstdint>
#include <vector>

// The playlist column layout, section "playlistview": for each position i, "Col%d" holds
// the column shown there and "Size%d" the width of column i. A missing or negative value
// is "not stored": the position shows its own column, the column keeps its width.
struct CColumnLayoutSettings {
    std::vector<std::int32_t> m_anOrder; // column index per position, -1 when not stored
    std::vector<std::int32_t> m_anSize;  // width per column index, -1 when not stored

    // Reads the layout of nColumns columns; answers true.
    bool Load(int nColumns, ISettingsStore& store = GetSettingsStore());
    // Writes one pair per position; false when the store refused a write.
    bool Save(ISettingsStore& store = GetSettingsStore()) const;

    // The column shown at a position: the stored one when it is a valid column index,
    // the position itself otherwise.
    int GetColumnAt(int position) const;
    // The stored width of a column, or -1 when the column keeps its own.
    std::int32_t GetSize(int column) const;
};
