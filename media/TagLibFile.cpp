#include "TagLibFile.h"

#include "AtomicFileWriter.h"
#include "PosixFile.h"

#include <taglib/aifffile.h>
#include <taglib/apefile.h>
#include <taglib/asffile.h>
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/flacfile.h>
#include <taglib/mp4file.h>
#include <taglib/mp4properties.h>
#include <taglib/mp4tag.h>
#include <taglib/oggflacfile.h>
#include <taglib/opusfile.h>
#include <taglib/tag.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/tdebuglistener.h>
#include <taglib/tiostream.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <taglib/wavpackfile.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// TagLib reports damaged input on standard error; a damaged file already gets a clear
// result here, so its notes go nowhere.
class SilentDebugListener : public TagLib::DebugListener {
public:
    void printMessage(const TagLib::String&) override {}
};

void SilenceTagLib() {
    static SilentDebugListener listener;
    static const bool once = [] {
        TagLib::setDebugListener(&listener);
        return true;
    }();
    (void)once;
}

// A read-only TagLib stream over a descriptor, read at the stream's own offset with
// pread through a small window: TagLib reads headers a few bytes at a time, and each of
// those would otherwise be a system call. No buffered stream and no second open.
class DescriptorStream : public TagLib::IOStream {
public:
    DescriptorStream(const PosixFile& file, std::int64_t size, const char* name)
        : m_file(file), m_size(std::max<std::int64_t>(size, 0)), m_name(name) {}

    TagLib::FileName name() const override { return m_name.c_str(); }
    TagLib::ByteVector readBlock(unsigned long length) override {
        const std::int64_t left = std::max<std::int64_t>(m_size - m_position, 0);
        // Compared unsigned: a damaged header may ask for nearly 2^64 bytes, which as a
        // signed number would be negative.
        const std::size_t wanted =
            std::min<std::uint64_t>(length, static_cast<std::uint64_t>(left));
        if (wanted == 0) {
            return {};
        }
        if (wanted >= kWindow) {
            return ReadDirect(wanted);
        }
        if (m_position < m_windowAt || m_position + static_cast<std::int64_t>(wanted) >
                                           m_windowAt + static_cast<std::int64_t>(m_windowLength)) {
            FillWindow();
        }
        const std::size_t from = static_cast<std::size_t>(m_position - m_windowAt);
        const std::size_t count = std::min(wanted, m_windowLength - std::min(from, m_windowLength));
        if (count == 0) {
            return {};
        }
        TagLib::ByteVector block(reinterpret_cast<const char*>(m_window.data() + from),
                                 static_cast<unsigned int>(count));
        m_position += static_cast<std::int64_t>(count);
        return block;
    }
    void writeBlock(const TagLib::ByteVector&) override {}
    void insert(const TagLib::ByteVector&, unsigned long, unsigned long) override {}
    void removeBlock(unsigned long, unsigned long) override {}
    bool readOnly() const override { return true; }
    bool isOpen() const override { return m_file.IsOpen(); }
    void seek(long offset, Position p) override {
        const std::int64_t base = p == Beginning ? 0 : p == Current ? m_position : m_size;
        m_position = std::max<std::int64_t>(base + offset, 0);
    }
    void clear() override {}
    long tell() const override { return static_cast<long>(m_position); }
    long length() override { return static_cast<long>(m_size); }
    void truncate(long) override {}

private:
    static constexpr std::size_t kWindow = 16 * 1024;

    TagLib::ByteVector ReadDirect(std::size_t wanted) {
        TagLib::ByteVector block(static_cast<unsigned int>(wanted), '\0');
        const std::int64_t got = m_file.ReadAt(
            m_position,
            std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(block.data()), wanted));
        if (got <= 0) {
            return {};
        }
        block.resize(static_cast<unsigned int>(got));
        m_position += got;
        return block;
    }

    void FillWindow() {
        // Never past the end: a short read would be followed by one more that finds it.
        m_window.resize(kWindow);
        m_windowAt = m_position;
        const auto length = static_cast<std::size_t>(std::min<std::int64_t>(
            static_cast<std::int64_t>(kWindow), std::max<std::int64_t>(m_size - m_position, 0)));
        const std::int64_t got =
            m_file.ReadAt(m_position, std::span<std::uint8_t>(m_window.data(), length));
        m_windowLength = got > 0 ? static_cast<std::size_t>(got) : 0;
    }

    const PosixFile& m_file;
    std::int64_t m_size;
    std::int64_t m_position = 0;
    std::string m_name;
    std::vector<std::uint8_t> m_window;
    std::int64_t m_windowAt = 0;
    std::size_t m_windowLength = 0;
};

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The text after the last "." of the file name, lower-cased ("" when none).
std::string ExtensionOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return {};
    }
    std::string extension(path.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(), Lower);
    return extension;
}

constexpr std::array<std::string_view, 14> kOwnedExtensions = {"flac", "ogg", "oga", "opus", "m4a",
                                                               "m4b",  "mp4", "aac", "wma",  "asf",
                                                               "ape",  "wv",  "aif", "aiff"};

std::string Utf8(const TagLib::String& text) {
    return text.to8Bit(true);
}

std::string NumberText(unsigned int number) {
    return number > 0 ? std::to_string(number) : std::string();
}

// The first value of a property, or "".
std::string Property(const TagLib::PropertyMap& map, const char* key) {
    const auto found = map.find(key);
    return found == map.end() || found->second.isEmpty() ? std::string()
                                                         : Utf8(found->second.front());
}

struct FormatName {
    const char* name;
    bool lossless;
};

FormatName FormatOf(TagLib::File* file) {
    if (dynamic_cast<TagLib::FLAC::File*>(file) != nullptr ||
        dynamic_cast<TagLib::Ogg::FLAC::File*>(file) != nullptr) {
        return {"FLAC", true};
    }
    if (dynamic_cast<TagLib::Ogg::Vorbis::File*>(file) != nullptr) {
        return {"Vorbis", false};
    }
    if (dynamic_cast<TagLib::Ogg::Opus::File*>(file) != nullptr) {
        return {"Opus", false};
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(file)) {
        const auto* audio = mp4->audioProperties();
        const bool alac = audio != nullptr && audio->codec() == TagLib::MP4::Properties::ALAC;
        return {alac ? "ALAC" : "M4A", alac};
    }
    if (dynamic_cast<TagLib::RIFF::WAV::File*>(file) != nullptr) {
        return {"WAV", true};
    }
    if (dynamic_cast<TagLib::ASF::File*>(file) != nullptr) {
        return {"WMA", false};
    }
    if (dynamic_cast<TagLib::RIFF::AIFF::File*>(file) != nullptr) {
        return {"AIFF", true};
    }
    if (dynamic_cast<TagLib::APE::File*>(file) != nullptr) {
        return {"APE", true};
    }
    if (dynamic_cast<TagLib::WavPack::File*>(file) != nullptr) {
        return {"WavPack", true};
    }
    return {"Other", false};
}

void ReadTags(TagLib::File* file, TagLibFacts& facts) {
    const TagLib::Tag* tag = file->tag();
    if (tag == nullptr) {
        return;
    }
    Id3v2Fields& f = facts.fields;
    f.title = Utf8(tag->title());
    f.artist = Utf8(tag->artist());
    f.album = Utf8(tag->album());
    f.year = NumberText(tag->year());
    f.track = NumberText(tag->track());
    f.genre = Utf8(tag->genre());
    f.comment = Utf8(tag->comment());
    facts.hasTag = !(f.title.empty() && f.artist.empty() && f.album.empty() && f.year.empty() &&
                     f.track.empty() && f.genre.empty() && f.comment.empty());
}

TagLibFacts FromFileRef(const TagLib::FileRef& ref, std::string_view name) {
    TagLibFacts facts;
    if (ref.isNull()) {
        facts.result =
            TagLibFile::KnowsExtension(name) ? TagLibFacts::kDamaged : TagLibFacts::kUnknownFormat;
        return facts;
    }
    TagLib::File* file = ref.file();
    const FormatName format = FormatOf(file);
    facts.result = TagLibFacts::kRead;
    facts.format = format.name;
    facts.lossless = format.lossless;
    if (const TagLib::AudioProperties* audio = file->audioProperties()) {
        facts.durationMs = std::max(audio->lengthInMilliseconds(), 0);
        facts.bitrateKbps = std::max(audio->bitrate(), 0);
        facts.sampleRate = std::max(audio->sampleRate(), 0);
        facts.channels = std::max(audio->channels(), 0);
    }
    ReadTags(file, facts);
    // Some readers take any bytes for their format (a RIFF reader reads zeros): without an
    // audio stream or a tag the file is no such file.
    if (facts.sampleRate == 0 && !facts.hasTag) {
        facts = TagLibFacts();
        facts.result = TagLibFacts::kDamaged;
    }
    return facts;
}

TagLibFacts ReadStream(TagLib::IOStream& stream, std::string_view name) {
    SilenceTagLib();
    const TagLib::FileRef ref(&stream, true, TagLib::AudioProperties::Average);
    return FromFileRef(ref, name);
}

// The number at the start of a text ("3/12" gives 3; "" or "x" give 0).
unsigned int LeadingNumber(std::string_view text) {
    unsigned int value = 0;
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string_view::npos) {
        return 0;
    }
    const auto [end, error] =
        std::from_chars(text.data() + start, text.data() + text.size(), value);
    return error == std::errc() && end != text.data() + start ? value : 0;
}

TagLib::String Text(const std::string& utf8) {
    return TagLib::String(utf8, TagLib::String::UTF8);
}

// The fields the Tag interface of every format carries.
struct CommonField {
    unsigned bit;
    std::string Id3v2Fields::*member;
    void (TagLib::Tag::*set)(const TagLib::String&);
};
constexpr std::array<CommonField, 5> kCommonFields = {{
    {Id3v2Fields::kTitle, &Id3v2Fields::title, &TagLib::Tag::setTitle},
    {Id3v2Fields::kArtist, &Id3v2Fields::artist, &TagLib::Tag::setArtist},
    {Id3v2Fields::kAlbum, &Id3v2Fields::album, &TagLib::Tag::setAlbum},
    {Id3v2Fields::kComment, &Id3v2Fields::comment, &TagLib::Tag::setComment},
    {Id3v2Fields::kGenre, &Id3v2Fields::genre, &TagLib::Tag::setGenre},
}};

// The fields kept as named properties.
struct PropertyField {
    unsigned bit;
    std::string Id3v2Fields::*member;
    const char* key;
};
constexpr std::array<PropertyField, 6> kPropertyFields = {{
    {Id3v2Fields::kTrack, &Id3v2Fields::track, "TRACKNUMBER"},
    {Id3v2Fields::kComposer, &Id3v2Fields::composer, "COMPOSER"},
    {Id3v2Fields::kCopyright, &Id3v2Fields::copyright, "COPYRIGHT"},
    {Id3v2Fields::kUrl, &Id3v2Fields::url, "URL"},
    {Id3v2Fields::kEncodedBy, &Id3v2Fields::encodedBy, "ENCODEDBY"},
    {Id3v2Fields::kOriginalArtist, &Id3v2Fields::originalArtist, "ORIGINALARTIST"},
}};

// The tag to write in: a WAV file without an ID3v2 chunk keeps to its RIFF INFO list, so
// a save adds no chunk the file did not have.
TagLib::Tag* WritableTag(TagLib::File* file) {
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        return wav->hasID3v2Tag() ? static_cast<TagLib::Tag*>(wav->ID3v2Tag())
                                  : static_cast<TagLib::Tag*>(wav->InfoTag());
    }
    return file->tag();
}

// Puts the asked fields that differ into the open file; answers how many changed.
int ApplyFields(TagLib::File* file, const Id3v2Fields& fields, unsigned which) {
    TagLib::Tag* tag = WritableTag(file);
    if (tag == nullptr) {
        return -1;
    }
    TagLibFacts read;
    ReadTags(file, read);
    const Id3v2Fields& current = read.fields;
    int changed = 0;
    for (const CommonField& field : kCommonFields) {
        if ((which & field.bit) != 0 && current.*field.member != fields.*field.member) {
            (tag->*field.set)(Text(fields.*field.member));
            ++changed;
        }
    }
    if ((which & Id3v2Fields::kYear) != 0 && LeadingNumber(fields.year) != tag->year()) {
        tag->setYear(LeadingNumber(fields.year));
        ++changed;
    }
    bool anyProperty = false;
    for (const PropertyField& field : kPropertyFields) {
        anyProperty = anyProperty || (which & field.bit) != 0;
    }
    if (!anyProperty) {
        return changed;
    }
    // Named properties go through the file, which knows its own tag's property names.
    TagLib::PropertyMap map = file->properties();
    int propertiesChanged = 0;
    for (const PropertyField& field : kPropertyFields) {
        if ((which & field.bit) == 0 || Property(map, field.key) == fields.*field.member) {
            continue;
        }
        if ((fields.*field.member).empty()) {
            map.erase(field.key);
        } else {
            map.replace(field.key, TagLib::StringList(Text(fields.*field.member)));
        }
        ++propertiesChanged;
    }
    if (propertiesChanged > 0) {
        file->setProperties(map);
    }
    return changed + propertiesChanged;
}

bool SaveFile(TagLib::File* file) {
    if (auto* wav = dynamic_cast<TagLib::RIFF::WAV::File*>(file)) {
        const auto tags =
            wav->hasID3v2Tag() ? TagLib::RIFF::WAV::File::AllTags : TagLib::RIFF::WAV::File::Info;
        return wav->save(tags, TagLib::File::StripNone);
    }
    return file->save();
}

std::optional<double> LeadingDouble(const std::string& text) {
    const auto start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        return std::nullopt;
    }
    const char* begin = text.c_str() + start;
    const char* plus = *begin == '+' ? begin + 1 : begin;
    double value = 0.0;
    const auto [end, error] = std::from_chars(plus, text.c_str() + text.size(), value);
    if (error != std::errc() || end == plus || value != value || value < -100.0 || value > 100.0) {
        return std::nullopt;
    }
    return value;
}

} // namespace

namespace TagLibFile {

bool OwnsExtension(std::string_view path) {
    const std::string extension = ExtensionOf(path);
    return std::find(kOwnedExtensions.begin(), kOwnedExtensions.end(), extension) !=
           kOwnedExtensions.end();
}

bool KnowsExtension(std::string_view path) {
    return OwnsExtension(path) || ExtensionOf(path) == "wav";
}

const char* LosslessName(std::string_view path, std::int64_t bitsPerSecond) {
    const std::string extension = ExtensionOf(path);
    if (extension == "flac") {
        return "FLAC";
    }
    if (extension == "wav") {
        return bitsPerSecond > 448000 ? "WAV" : nullptr;
    }
    if (extension == "aif" || extension == "aiff") {
        return "AIFF";
    }
    if (extension == "ape") {
        return "APE";
    }
    return extension == "wv" ? "WavPack" : nullptr;
}

TagLibFacts Read(int folderFd, const char* name) {
    PosixFile file;
    if (!file.OpenReadIn(folderFd, name)) {
        return {};
    }
    const std::int64_t size = file.Size();
    if (size < 0) {
        return {};
    }
    return ReadFrom(file, size, name);
}

TagLibFacts ReadFrom(const PosixFile& file, std::int64_t size, const char* name) {
    DescriptorStream stream(file, size, name);
    return ReadStream(stream, name);
}

TagLibFacts Read(const std::string& path) {
    return Read(AT_FDCWD, path.c_str());
}

TagLibFacts ReadBytes(std::span<const std::uint8_t> bytes, const std::string& nameHint) {
    const TagLib::ByteVector data(reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<unsigned int>(bytes.size()));
    // The stream's name is what TagLib judges the format by.
    class NamedStream : public TagLib::ByteVectorStream {
    public:
        NamedStream(const TagLib::ByteVector& data, const std::string& name)
            : TagLib::ByteVectorStream(data), m_name(name) {}
        TagLib::FileName name() const override { return m_name.c_str(); }

    private:
        std::string m_name;
    };
    NamedStream named(data, nameHint);
    return ReadStream(named, nameHint);
}

bool ReadAllFields(const std::string& path, Id3v2Fields& fields) {
    SilenceTagLib();
    PosixFile source;
    if (!source.OpenRead(path)) {
        return false;
    }
    DescriptorStream stream(source, source.Size(), path.c_str());
    const TagLib::FileRef ref(&stream, true);
    const TagLibFacts facts = FromFileRef(ref, path);
    if (facts.result != TagLibFacts::kRead) {
        return false;
    }
    fields = facts.fields;
    const TagLib::PropertyMap map = ref.file()->properties();
    for (const PropertyField& field : kPropertyFields) {
        const std::string value = Property(map, field.key);
        if (!value.empty() || field.bit != Id3v2Fields::kTrack) {
            fields.*field.member = value;
        }
    }
    return true;
}

int WriteChangedFields(const std::string& path, const Id3v2Fields& fields, unsigned which) {
    SilenceTagLib();
    {
        // Nothing to write leaves the file alone, not even rewritten unchanged.
        PosixFile source;
        if (!source.OpenRead(path)) {
            return kWriteCannotOpen;
        }
        const std::int64_t size = source.Size();
        DescriptorStream stream(source, size, path.c_str());
        TagLib::FileRef ref(&stream, false);
        if (ref.isNull()) {
            return kWriteCannotOpen;
        }
        const int changed = ApplyFields(ref.file(), fields, which);
        if (changed < 0) {
            return kWriteFailed;
        }
        if (changed == 0) {
            return kNothing;
        }
    }
    PosixFile source;
    if (!source.OpenRead(path)) {
        return kWriteCannotOpen;
    }
    AtomicFileWriter writer;
    if (!writer.Create(path) || !writer.CopyFrom(source, 0)) {
        return kWriteFailed;
    }
    source.Close();
    bool saved = false;
    {
        TagLib::FileRef copy(writer.TempPath().c_str(), false);
        saved =
            !copy.isNull() && ApplyFields(copy.file(), fields, which) >= 0 && SaveFile(copy.file());
    }
    if (!saved || !writer.Commit()) {
        writer.Discard();
        return kWriteFailed;
    }
    return kWritten;
}

std::optional<double> TrackGainDb(const std::string& path) {
    SilenceTagLib();
    PosixFile source;
    if (!source.OpenRead(path)) {
        return std::nullopt;
    }
    DescriptorStream stream(source, source.Size(), path.c_str());
    const TagLib::FileRef ref(&stream, false);
    if (ref.isNull()) {
        return std::nullopt;
    }
    const TagLib::PropertyMap map = ref.file()->properties();
    if (dynamic_cast<TagLib::Ogg::Opus::File*>(ref.file()) != nullptr) {
        const std::string r128 = Property(map, "R128_TRACK_GAIN");
        int q78 = 0;
        const auto [end, error] = std::from_chars(r128.data(), r128.data() + r128.size(), q78);
        if (!r128.empty() && error == std::errc() && end == r128.data() + r128.size() &&
            q78 >= -32768 && q78 <= 32767) {
            return q78 / 256.0 + 5.0;
        }
    }
    if (auto* mp4 = dynamic_cast<TagLib::MP4::File*>(ref.file()); mp4 != nullptr && mp4->tag()) {
        // Taggers write the MP4 item in lower case, which TagLib names no property.
        for (const auto& [key, item] : mp4->tag()->itemMap()) {
            if (key.upper() == "----:COM.APPLE.ITUNES:REPLAYGAIN_TRACK_GAIN" &&
                !item.toStringList().isEmpty()) {
                return LeadingDouble(Utf8(item.toStringList().front()));
            }
        }
    }
    return LeadingDouble(Property(map, "REPLAYGAIN_TRACK_GAIN"));
}

} // namespace TagLibFile

std::optional<double> TagLibTrackGainDb(const std::string& path) {
    return TagLibFile::TrackGainDb(path);
}
