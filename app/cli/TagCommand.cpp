#include "cli/TagCommand.h"

#include "media/GenreTable.h"
#include "media/Id3v1Tag.h"
#include "media/Id3v2File.h"
#include "media/SongFileReader.h"
#include "media/TagLibFile.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace {

constexpr const char* kUsage =
    "usage: mixorel-cli tag FILE [--title T] [--artist A] [--album A] [--year Y] [--comment C]\n"
    "                            [--track N] [--genre NAME] [--v1-only|--v2-only]\n"
    "                            [--remove-v1] [--blank-v2]\n";

// The values one tag is written with, in the program's UTF-8.
struct TagValues {
    std::string title, artist, album, comment, genre;
    int year = 0;
    int track = -1;
};

struct TagOptions {
    std::string path;
    std::optional<std::string> title, artist, album, comment, genre;
    std::optional<int> year, track;
    bool v1Only = false;
    bool v2Only = false;
    bool removeV1 = false;
    bool blankV2 = false;
};

std::optional<int> ParseNumber(const std::string& text) {
    int value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Answers an error text, empty when the arguments are good.
std::string ParseOptions(const std::vector<std::string>& args, TagOptions& options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) {
                return std::nullopt;
            }
            return args[++i];
        };
        std::optional<std::string>* text = arg == "--title"     ? &options.title
                                           : arg == "--artist"  ? &options.artist
                                           : arg == "--album"   ? &options.album
                                           : arg == "--comment" ? &options.comment
                                           : arg == "--genre"   ? &options.genre
                                                                : nullptr;
        if (text != nullptr) {
            *text = value();
            if (!*text) {
                return arg + " needs a value";
            }
        } else if (arg == "--year" || arg == "--track") {
            const auto given = value();
            const auto number = given ? ParseNumber(*given) : std::nullopt;
            if (!number) {
                return arg + " needs a whole number";
            }
            (arg == "--year" ? options.year : options.track) = number;
        } else if (arg == "--v1-only") {
            options.v1Only = true;
        } else if (arg == "--v2-only") {
            options.v2Only = true;
        } else if (arg == "--remove-v1") {
            options.removeV1 = true;
        } else if (arg == "--blank-v2") {
            options.blankV2 = true;
        } else if (!arg.empty() && arg[0] == '-' && arg != "-") {
            return "unknown option " + arg;
        } else if (options.path.empty()) {
            options.path = arg;
        } else {
            return "only one FILE may be given";
        }
    }
    if (options.path.empty()) {
        return "FILE is missing";
    }
    if (options.v1Only && options.v2Only) {
        return "--v1-only and --v2-only exclude each other";
    }
    if (options.track && (*options.track < -1 || *options.track > 255)) {
        return "--track takes -1 (none) to 255";
    }
    return {};
}

long LeadingNumber(const std::string& text) {
    long value = 0;
    for (std::size_t i = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && value < 100000;
         ++i) {
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

TagValues FromId3v2(const Id3v2Fields& f) {
    TagValues v{f.title, f.artist, f.album, f.comment, GenreTable::NameForText(f.genre), 0, -1};
    v.year = static_cast<int>(LeadingNumber(f.year));
    const long track = LeadingNumber(f.track);
    v.track = track > 0 ? static_cast<int>(track) : -1;
    return v;
}

TagValues FromId3v1(const Id3v1Tag& t) {
    return TagValues{
        t.Title(), t.Artist(), t.Album(), t.Comment(), std::string(GenreTable::Name(t.Genre())),
        t.Year(),  t.Track()};
}

void ApplyOptions(TagValues& v, const TagOptions& o) {
    v.title = o.title.value_or(v.title);
    v.artist = o.artist.value_or(v.artist);
    v.album = o.album.value_or(v.album);
    v.comment = o.comment.value_or(v.comment);
    v.genre = o.genre.value_or(v.genre);
    v.year = o.year.value_or(v.year);
    v.track = o.track.value_or(v.track);
}

std::string WriteResultText(int code) {
    switch (code) {
    case Id3v2::kTempCreateFailed:
        return "the temporary file cannot be created (is the folder read-only?)";
    case Id3v2::kTempWriteFailed:
        return "writing the temporary file failed (is the disk full?)";
    case Id3v2::kOpenFailed:
        return "the file cannot be opened for writing (missing or read-only?)";
    case Id3v2::kCopyFailed:
        return "copying the audio data failed";
    case Id3v2::kReplaceFailed:
        return "the file cannot be replaced by the rewritten one";
    case Id3v2::kFileChanged:
        return "the file changed while it was being written";
    case Id3v2::kInPlaceOpenFailed:
        return "the file cannot be opened for writing (read-only?)";
    case Id3v2::kInPlaceShortWrite:
        return "writing the tag failed";
    default:
        return "error " + std::to_string(code);
    }
}

int Fail(const std::string& path, const std::string& what) {
    std::fprintf(stderr, "mixorel-cli: %s: %s\n", path.c_str(), what.c_str());
    return 1;
}

// The fields given on the command line, as Id3v2Fields or Id3v1Tag bits. A tag the file
// has gets only these; every other byte of it stays.
unsigned GivenFields(const TagOptions& o, bool v1) {
    struct Given {
        bool isGiven;
        unsigned v1Bit, v2Bit;
    };
    const Given given[] = {{o.title.has_value(), Id3v1Tag::kFieldTitle, Id3v2Fields::kTitle},
                           {o.artist.has_value(), Id3v1Tag::kFieldArtist, Id3v2Fields::kArtist},
                           {o.album.has_value(), Id3v1Tag::kFieldAlbum, Id3v2Fields::kAlbum},
                           {o.comment.has_value(), Id3v1Tag::kFieldComment, Id3v2Fields::kComment},
                           {o.genre.has_value(), Id3v1Tag::kFieldGenre, Id3v2Fields::kGenre},
                           {o.year.has_value(), Id3v1Tag::kFieldYear, Id3v2Fields::kYear},
                           {o.track.has_value(), Id3v1Tag::kFieldTrack, Id3v2Fields::kTrack}};
    unsigned fields = 0;
    for (const Given& field : given) {
        fields |= field.isGiven ? (v1 ? field.v1Bit : field.v2Bit) : 0u;
    }
    return fields;
}

int WriteId3v2(const TagOptions& o, const TagValues& v, const SongFileFacts& facts) {
    if (o.blankV2) {
        const int result = Id3v2::BlankTag(o.path);
        return result == 0 ? 0 : Fail(o.path, "blanking the ID3v2 tag failed (read-only?)");
    }
    Id3v2Fields fields = facts.id3v2Result == 0 ? facts.fields : Id3v2Fields{};
    fields.title = v.title;
    fields.artist = v.artist;
    fields.album = v.album;
    fields.comment = v.comment;
    fields.genre = v.genre;
    fields.year = v.year > 0 ? std::to_string(v.year) : std::string();
    // A new track number keeps the total after it ("3/12").
    const std::size_t slash = fields.track.find('/');
    const std::string total = slash == std::string::npos ? "" : fields.track.substr(slash);
    fields.track = v.track > 0 ? std::to_string(v.track) + total : std::string();
    // A file without a tag gets every field that has a value (taken over from its ID3v1).
    const unsigned which =
        facts.id3v2Result == 0 ? GivenFields(o, false) : unsigned{Id3v2Fields::kAllFields};
    const int result = Id3v2::WriteChangedFields(fields, which, o.path);
    return result == 0 ? 0
                       : Fail(o.path, "writing the ID3v2 tag failed: " + WriteResultText(result));
}

int WriteId3v1(const TagOptions& o, const TagValues& v, const SongFileFacts& facts) {
    Id3v1Tag tag;
    tag.SetTitle(v.title);
    tag.SetArtist(v.artist);
    tag.SetAlbum(v.album);
    tag.SetYear(v.year);
    tag.SetComment(v.comment);
    tag.SetTrack(v.track);
    if (v.genre.empty()) {
        tag.SetGenre(GenreTable::kNone);
    } else {
        tag.SetGenreByName(v.genre);
    }
    const int result = o.removeV1
                           ? tag.WriteToFile(o.path, true)
                           : tag.WriteFieldsToFile(o.path, facts.hasId3v1 ? GivenFields(o, true)
                                                                          : Id3v1Tag::kAllFields);
    if (result == 0) {
        return 0;
    }
    return Fail(o.path, o.removeV1 ? "removing the ID3v1 tag failed (missing or read-only?)"
                                   : "writing the ID3v1 tag failed (missing or read-only?)");
}

// A FLAC, Ogg, Opus, M4A or WMA file (or a WAV file without MPEG audio): the given
// fields go into its own tag; it has no ID3 tags to remove or blank.
int WriteOwnTag(const TagOptions& o) {
    if (o.v1Only || o.removeV1 || o.blankV2) {
        return Fail(o.path, "this file keeps its own tags, not ID3: --v1-only, --remove-v1 and "
                            "--blank-v2 do not apply");
    }
    Id3v2Fields fields;
    fields.title = o.title.value_or("");
    fields.artist = o.artist.value_or("");
    fields.album = o.album.value_or("");
    fields.comment = o.comment.value_or("");
    fields.genre = o.genre.value_or("");
    fields.year = o.year.value_or(0) > 0 ? std::to_string(*o.year) : std::string();
    fields.track = o.track.value_or(0) > 0 ? std::to_string(*o.track) : std::string();
    const int result = TagLibFile::WriteChangedFields(o.path, fields, GivenFields(o, false));
    if (result == TagLibFile::kWritten || result == TagLibFile::kNothing) {
        return 0;
    }
    return Fail(o.path, "writing the file's tags failed (read-only or damaged?)");
}

} // namespace

int RunTagCommand(const std::vector<std::string>& args) {
    TagOptions options;
    const std::string error = ParseOptions(args, options);
    if (!error.empty()) {
        std::fprintf(stderr, "mixorel-cli tag: %s\n%s", error.c_str(), kUsage);
        return 2;
    }
    const SongFileFacts facts = SongFileReader::Read(options.path);
    if (facts.fromTagLib) {
        return WriteOwnTag(options);
    }
    if (facts.id3v2Result == Id3v2::kCannotOpen) {
        return Fail(options.path, "the file cannot be opened");
    }
    const bool hasV2 = facts.id3v2Result == 0;
    // Each tag starts from its own values; a tag the file lacks starts from the other one.
    TagValues v2 =
        hasV2 ? FromId3v2(facts.fields) : (facts.hasId3v1 ? FromId3v1(facts.id3v1) : TagValues{});
    TagValues v1 =
        facts.hasId3v1 ? FromId3v1(facts.id3v1) : (hasV2 ? FromId3v2(facts.fields) : TagValues{});
    ApplyOptions(v2, options);
    ApplyOptions(v1, options);

    if (!options.v1Only || options.blankV2) {
        if (const int status = WriteId3v2(options, v2, facts); status != 0) {
            return status;
        }
    }
    if (!options.v2Only || options.removeV1) {
        return WriteId3v1(options, v1, facts);
    }
    return 0;
}
