#include "platform/QtSettingsStore.h"
#include "settings/CMemorySettingsStore.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// The in-memory store stands in for the file store in every core test, so both must
// answer alike. The file store is read back through a fresh object, from the disk.
class MemoryStoreFactory {
public:
    ISettingsStore& Writer() { return m_store; }
    ISettingsStore& Reader() { return m_store; }

private:
    CMemorySettingsStore m_store;
};

class FileStoreFactory {
public:
    FileStoreFactory()
        : m_strPath(QString::fromStdString(m_dir.File("Mixorel.ini"))), m_writer(m_strPath) {}
    ISettingsStore& Writer() { return m_writer; }
    ISettingsStore& Reader() {
        m_pReader = std::make_unique<QtSettingsStore>(m_strPath);
        return *m_pReader;
    }

private:
    TempDir m_dir;
    QString m_strPath;
    QtSettingsStore m_writer;
    std::unique_ptr<QtSettingsStore> m_pReader;
};

template <typename Factory> class StoreConformanceTest : public ::testing::Test {
protected:
    Factory m_factory;
};

using Factories = ::testing::Types<MemoryStoreFactory, FileStoreFactory>;
TYPED_TEST_SUITE(StoreConformanceTest, Factories);

TYPED_TEST(StoreConformanceTest, ValuesCrossTypesAlike) {
    ISettingsStore& writer = this->m_factory.Writer();
    writer.WriteProfileInt("s", "int", -42);
    writer.WriteProfileString("s", "number", "123");
    writer.WriteProfileString("s", "word", "12abc");
    writer.WriteProfileString("s", "huge", "99999999999");
    writer.WriteProfileInt("n", "max", std::numeric_limits<std::int32_t>::max());
    writer.WriteProfileInt("n", "min", std::numeric_limits<std::int32_t>::min());
    writer.WriteProfileString("s", "empty", "");
    std::vector<std::uint8_t> block; // every byte value, and a zero at the end
    for (int i = 0; i <= 256; ++i) {
        block.push_back(static_cast<std::uint8_t>(i));
    }
    writer.WriteProfileBinary("s", "bytes", block);
    writer.WriteProfileBinary("s", "none", {});
    ISettingsStore& reader = this->m_factory.Reader();
    EXPECT_EQ(reader.GetProfileInt("n", "max", 0), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(reader.GetProfileInt("n", "min", 0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(reader.GetProfileString("s", "int", "x"), "-42");
    EXPECT_EQ(reader.GetProfileInt("s", "number", 0), 123);
    EXPECT_EQ(reader.GetProfileInt("s", "word", 7), 7);
    EXPECT_EQ(reader.GetProfileInt("s", "huge", 7), 7);
    EXPECT_EQ(reader.GetProfileInt("s", "bytes", 7), 7);
    EXPECT_EQ(reader.GetProfileString("s", "bytes", "x"), "x");
    std::vector<std::uint8_t> read;
    EXPECT_FALSE(reader.GetProfileBinary("s", "int", read));
    EXPECT_FALSE(reader.GetProfileBinary("s", "number", read));
    ASSERT_TRUE(reader.GetProfileBinary("s", "bytes", read));
    EXPECT_EQ(read, block);
    // An empty text and an empty block are values too.
    EXPECT_EQ(reader.GetProfileString("s", "empty", "x"), "");
    EXPECT_TRUE(reader.GetProfileBinary("s", "none", read));
    EXPECT_TRUE(read.empty());
}

TYPED_TEST(StoreConformanceTest, MissingValuesAndRefusedNames) {
    ISettingsStore& writer = this->m_factory.Writer();
    EXPECT_FALSE(writer.WriteProfileInt("a/b", "c", 1));
    EXPECT_FALSE(writer.WriteProfileString("a", "b\\c", "x"));
    EXPECT_FALSE(writer.WriteProfileBinary("", "k", std::vector<std::uint8_t>{1}));
    ISettingsStore& reader = this->m_factory.Reader();
    EXPECT_EQ(reader.GetProfileInt("a/b", "c", 5), 5);
    EXPECT_EQ(reader.GetProfileString("nothing", "here", "dflt"), "dflt");
    std::vector<std::uint8_t> read{1};
    EXPECT_FALSE(reader.GetProfileBinary("nothing", "here", read));
    EXPECT_TRUE(read.empty());
}

TYPED_TEST(StoreConformanceTest, AwkwardTextsRoundTripAndTheLaterWriteWinsWhateverTheCase) {
    const std::vector<std::string> texts = {"mp3,mp2;wav",          "@ByteArray(not bytes)",
                                            "  padded  ",           "quote \" and ; and =",
                                            "back\\slash\\path",    "line\nbreak",
                                            "\xC3\xA4\xE2\x82\xAC", "[section]",
                                            "#comment-like",        "-17"};
    ISettingsStore& writer = this->m_factory.Writer();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        ASSERT_TRUE(writer.WriteProfileString("texts", "t" + std::to_string(i), texts[i]));
    }
    writer.WriteProfileString("Fonts", "ListViewFontName", "First");
    writer.WriteProfileString("FONTS", "listviewfontname", "Second");
    ISettingsStore& reader = this->m_factory.Reader();
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(reader.GetProfileString("texts", "t" + std::to_string(i), "missing"), texts[i]);
    }
    EXPECT_EQ(reader.GetProfileString("fonts", "LISTVIEWFONTNAME", ""), "Second");
}

} // namespace
