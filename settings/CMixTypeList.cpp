#include "CMixTypeList.h"

#include "CMixIniReader.h"
#include "DefaultMixIni.h"
#include "ProgramFolder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

CMixTypeList& CMixTypeList::Shared() {
    static CMixTypeList list;
    return list;
}

bool CMixTypeList::ReadMixTypes(bool bForce) {
    {
        std::lock_guard lock(m_mutex);
        if (m_bRead && !bForce) {
            return true;
        }
    }
    return ReadMixTypesFrom(GetMixIniPath(), bForce);
}

bool CMixTypeList::ReadMixTypesFrom(const std::string& path, bool bForce) {
    {
        std::lock_guard lock(m_mutex);
        if (m_bRead && !bForce) {
            return true;
        }
    }
    std::vector<MixType> types;
    const bool fromFile = CMixIniReader::ReadFile(path, types) == CMixIniReader::kRead;
    if (!fromFile) {
        types = CMixIniReader::Parse(GetDefaultMixIni());
    }
    // The program's own come after, unless the file already has one of that name.
    for (MixType& type : GetBuiltInMixTypes()) {
        const bool named = std::any_of(types.begin(), types.end(), [&](const MixType& known) {
            return known.m_strName == type.m_strName;
        });
        if (!named) {
            types.push_back(std::move(type));
        }
    }
    std::lock_guard lock(m_mutex);
    m_types = std::move(types);
    m_bRead = fromFile;
    m_bBuiltIn = !fromFile;
    return true;
}

void CMixTypeList::SetMixTypes(std::vector<MixType> types) {
    std::lock_guard lock(m_mutex);
    m_types = std::move(types);
    m_bRead = true;
    m_bBuiltIn = false;
}

int CMixTypeList::GetCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(m_types.size());
}

bool CMixTypeList::IsValidIndex(int index) const {
    std::lock_guard lock(m_mutex);
    return index >= 0 && static_cast<std::size_t>(index) < m_types.size();
}

std::string CMixTypeList::GetName(int index) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_types.size()) {
        return {};
    }
    return m_types[static_cast<std::size_t>(index)].m_strName;
}

bool CMixTypeList::GetFadeIn(int index, std::vector<std::int32_t>& steps) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_types.size()) {
        return false;
    }
    steps = m_types[static_cast<std::size_t>(index)].m_aFadeIn;
    return true;
}

bool CMixTypeList::GetFadeOut(int index, std::vector<std::int32_t>& steps) const {
    std::lock_guard lock(m_mutex);
    if (index < 0 || static_cast<std::size_t>(index) >= m_types.size()) {
        return false;
    }
    steps = m_types[static_cast<std::size_t>(index)].m_aFadeOut;
    return true;
}

void CMixTypeList::GetFadeInOrLinear(int index, std::vector<std::int32_t>& steps) const {
    if (!GetFadeIn(index, steps)) {
        steps = GetLinearFade().m_aFadeIn;
    }
}

void CMixTypeList::GetFadeOutOrLinear(int index, std::vector<std::int32_t>& steps) const {
    if (!GetFadeOut(index, steps)) {
        steps = GetLinearFade().m_aFadeOut;
    }
}

bool CMixTypeList::IsBuiltIn() const {
    std::lock_guard lock(m_mutex);
    return m_bBuiltIn;
}

MixType CMixTypeList::GetLinearFade() {
    constexpr int kSteps = 20;
    constexpr int kStep = 1000 / kSteps;
    MixType fade;
    fade.m_strName = "Linear";
    for (int i = 1; i <= kSteps; ++i) {
        fade.m_aFadeIn.push_back(i * kStep);
        fade.m_aFadeOut.push_back(1000 - i * kStep);
    }
    return fade;
}

std::vector<MixType> CMixTypeList::GetBuiltInMixTypes() {
    constexpr int kSteps = 20;
    MixType equalPower{"Equal power", {}, {}};
    MixType radio{"Radio (next at full volume)", {1000}, {}};
    for (int step = 1; step <= kSteps; ++step) {
        // Sine in, cosine out: the powers of the two always add up to one.
        const double angle = std::numbers::pi / 2.0 * step / kSteps;
        equalPower.m_aFadeIn.push_back(
            static_cast<std::int32_t>(std::lround(1000 * std::sin(angle))));
        equalPower.m_aFadeOut.push_back(
            static_cast<std::int32_t>(std::lround(1000 * std::cos(angle))));
        radio.m_aFadeOut.push_back(1000 - 1000 * step / kSteps);
    }
    return {equalPower, radio};
}
