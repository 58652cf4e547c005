#include "CMemorySongClipboard.h"

bool CMemorySongClipboard::SetData(const std::string& format,
                                   const std::vector<std::uint8_t>& data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bBusy) {
        return false;
    }
    m_blocks.clear();
    m_files.clear();
    m_blocks[format] = data;
    return true;
}

bool CMemorySongClipboard::SetFileList(const std::vector<std::string>& paths, bool keepContents,
                                       bool cut) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bBusy) {
        return false;
    }
    if (!keepContents) {
        m_blocks.clear();
    }
    m_files = paths;
    m_bCut = cut;
    return true;
}

bool CMemorySongClipboard::GetData(const std::string& format, std::vector<std::uint8_t>& data) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const auto block = m_blocks.find(format);
    if (m_bBusy || block == m_blocks.end()) {
        return false;
    }
    data = block->second;
    return true;
}

void CMemorySongClipboard::RemoveData(const std::string& format) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bBusy) {
        m_blocks.erase(format);
    }
}

std::vector<std::string> CMemorySongClipboard::GetFileList() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_files;
}

bool CMemorySongClipboard::IsCut() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_bCut;
}

void CMemorySongClipboard::SetBusy(bool busy) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bBusy = busy;
}
