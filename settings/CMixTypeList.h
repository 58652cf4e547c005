#pragma once

#include "MixType.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

// The mix types of "mix.ini" in file order, then those of the program's own
// (GetBuiltInMixTypes) whose names the file does not use; an entry's position is its
// mix-type index, the value of the setting "mixtype".
//
// When the file cannot be read, the list holds the mix types of the built-in copy of
// mix.ini (first the linear fade), so a fade always has a curve. Every operation may be
// called from any thread; a forced re-read replaces the list in one step.
class CMixTypeList {
public:
    // The list the program shares.
    static CMixTypeList& Shared();

    // Reads program folder + "/mix.ini". Without force, a list read once from the file
    // answers true at once. When the file cannot be read, the list takes the built-in
    // mix types, is not marked as read (the next call tries the file again) and the call
    // still answers true.
    bool ReadMixTypes(bool bForce = false);
    // The same with a file of the caller's.
    bool ReadMixTypesFrom(const std::string& path, bool bForce = false);
    // Replaces the list, marked as read.
    void SetMixTypes(std::vector<MixType> types);

    int GetCount() const;
    bool IsValidIndex(int index) const;
    // Empty for an invalid index.
    std::string GetName(int index) const;
    // Copy the step list into steps, replacing its contents; false for an invalid index.
    bool GetFadeIn(int index, std::vector<std::int32_t>& steps) const;
    bool GetFadeOut(int index, std::vector<std::int32_t>& steps) const;
    // The same, but an index that names no entry gives the built-in linear fade.
    void GetFadeInOrLinear(int index, std::vector<std::int32_t>& steps) const;
    void GetFadeOutOrLinear(int index, std::vector<std::int32_t>& steps) const;

    // True when the list holds the built-in mix types because the file could not be read.
    bool IsBuiltIn() const;

    // The fallback fade: 20 steps each way, in 50, 100, ..., 1000 and out 950, 900, ..., 0.
    static MixType GetLinearFade();
    // The mix types the program adds after those of mix.ini: "Equal power" (sine in,
    // cosine out) and "Radio (next at full volume)" (in at once, linear out).
    static std::vector<MixType> GetBuiltInMixTypes();

private:
    mutable std::mutex m_mutex;
    std::vector<MixType> m_types;
    bool m_bRead = false;
    bool m_bBuiltIn = false;
};
