#pragma once

#include "ISongClipboard.h"

#include <map>
#include <mutex>

// A clipboard kept in memory, for tests and the headless tool. m_bBusy makes every call
// fail, as a clipboard held open by another program does.
class CMemorySongClipboard : public ISongClipboard {
public:
    bool SetData(const std::string& format, const std::vector<std::uint8_t>& data) override;
    bool SetFileList(const std::vector<std::string>& paths, bool keepContents, bool cut) override;
    bool GetData(const std::string& format, std::vector<std::uint8_t>& data) override;
    void RemoveData(const std::string& format) override;

    std::vector<std::string> GetFileList() const;
    bool IsCut() const;
    void SetBusy(bool busy);

private:
    mutable std::mutex m_mutex;
    std::map<std::string, std::vector<std::uint8_t>> m_blocks;
    std::vector<std::string> m_files;
    bool m_bCut = false;
    bool m_bBusy = false;
};
