#include "MpegFrameCounter.h"

#include "PosixFile.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::size_t kChunkBytes = 256 * 1024;

// Walks the frames of one stream through a file in large reads.
class FrameWalker {
public:
    FrameWalker(const PosixFile& file, const MpegFileInfo& info)
        : m_file(file), m_first(info.header), m_offset(info.frameOffset), m_end(info.audioEnd) {}

    // Steps over one frame; false at the end of the audio or at a frame that does not
    // belong to the stream.
    bool Next(MpegFrameHeader& header) {
        if (m_offset + 4 > m_end) {
            return false;
        }
        const std::uint8_t* bytes = At(m_offset);
        if (bytes == nullptr) {
            return false;
        }
        header = MpegFrameHeader::FromBytes(bytes);
        if (!header.IsValid() || !header.SameStream(m_first) || header.FrameLength() <= 0) {
            return false;
        }
        m_offset += header.FrameLength();
        m_bytes += header.FrameLength();
        return true;
    }

    std::int64_t WalkedBytes() const { return m_bytes; }

private:
    const std::uint8_t* At(std::int64_t offset) {
        if (offset < m_bufferStart ||
            offset + 4 > m_bufferStart + static_cast<std::int64_t>(m_buffer.size())) {
            m_buffer.resize(kChunkBytes);
            const std::int64_t got = m_file.ReadAt(offset, m_buffer);
            if (got < 4) {
                return nullptr;
            }
            m_buffer.resize(static_cast<std::size_t>(got));
            m_bufferStart = offset;
        }
        return m_buffer.data() + (offset - m_bufferStart);
    }

    const PosixFile& m_file;
    MpegFrameHeader m_first;
    std::int64_t m_offset;
    std::int64_t m_end;
    std::int64_t m_bytes = 0;
    std::vector<std::uint8_t> m_buffer;
    std::int64_t m_bufferStart = 0;
};

} // namespace

std::int64_t MpegFrameCounter::DurationMs(const std::string& path, const MpegFileInfo& info) {
    const int rate = info.SamplingRate();
    const int kbps = info.header.BitrateKbps();
    if (rate <= 0 || kbps <= 0 || info.frameOffset < 0) {
        return -1;
    }
    const std::int64_t sizeEstimateMs = std::max<std::int64_t>(info.AudioSize() * 8 / kbps, 1);
    PosixFile file;
    if (!file.OpenRead(path)) {
        return sizeEstimateMs;
    }
    FrameWalker walker(file, info);
    MpegFrameHeader header;
    std::int64_t samples = 0;
    int frames = 0;
    bool constant = true;
    while (walker.Next(header)) {
        samples += header.SamplesPerFrame();
        constant = constant && header.BitrateKbps() == kbps;
        if (++frames == kProbeFrames && constant) {
            return sizeEstimateMs; // constant bit rate: the size says it exactly
        }
    }
    if (frames < kProbeFrames && constant) {
        return sizeEstimateMs;
    }
    // Frames the walk could not reach count at the average size of those it walked.
    const std::int64_t walked = walker.WalkedBytes();
    const std::int64_t audio = info.audioEnd - info.frameOffset;
    const double scale = walked > 0 && audio > walked
                             ? static_cast<double>(audio) / static_cast<double>(walked)
                             : 1.0;
    return std::max<std::int64_t>(
        static_cast<std::int64_t>(static_cast<double>(samples) * scale * 1000.0 / rate), 1);
}
