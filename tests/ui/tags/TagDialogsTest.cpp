#include "ShellFixture.h"
#include "media/MpegFileInfo.h"
#include "support/Id3v2Bytes.h"
#include "support/TestFiles.h"
#include "ui/tags/CAutoTagDialog.h"
#include "ui/tags/CId3TagDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <algorithm>
#include <ctime>
#include <mutex>
#include <tuple>

namespace {

TEST(TagDialogsTest, AutoTaggerBuildsItsCriteriaFieldByField) {
    ScriptedPrompt prompt;
    CAutoTagDialog dialog(prompt, 3);
    EXPECT_FALSE(dialog.Use());
    EXPECT_TRUE(prompt.WasAsked(CAutoTagger::kNoCriteriaText));
    for (const QString field : {"TRACK", "ARTIST", "TITLE"}) {
        dialog.FieldList()->setCurrentIndex(dialog.FieldList()->findText(field));
        dialog.SeparatorList()->setEditText(field == "TITLE" ? QString() : QStringLiteral("-"));
        dialog.Add();
    }
    EXPECT_EQ(dialog.Criteria(), QStringLiteral("{TRACK}-{ARTIST}-{TITLE}"));
    EXPECT_EQ(dialog.FieldList()->count(), 4) << "the fields used leave the list";
    EXPECT_TRUE(dialog.Use());
    dialog.Pattern().Parse("07-Band-Song.mp3");
    EXPECT_EQ(dialog.Pattern().Lookup("track"), "07");
    EXPECT_EQ(dialog.Defaults().strGenre, "") << "\"(keep)\" is preselected";
    const CAutoTagger::Defaults defaults = dialog.Defaults();
    EXPECT_EQ(std::tie(defaults.nYear, defaults.nTrack), std::tuple(0, -1))
        << "year and track keep each file's own";
    dialog.Reset();
    EXPECT_EQ(dialog.Criteria(), QString());
    EXPECT_EQ(dialog.FieldList()->count(), 7);
}

TEST(TagDialogsTest, TagEditorRefusesAYearOutOfRangeAndSavesTheRest) {
    TempDir dir;
    const std::string song = dir.File("a.mp3");
    WriteAll(song, TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 20));
    ScriptedPrompt prompt;
    CId3TagDialog dialog(prompt, {song});
    ASSERT_TRUE(dialog.IsLoaded());
    auto* v1 = dialog.findChildren<QGroupBox*>().front();
    v1->setChecked(true);
    QSpinBox* year = v1->findChildren<QSpinBox*>().front();
    year->setValue(3001);
    EXPECT_FALSE(dialog.Save());
    EXPECT_TRUE(prompt.WasAsked("Please enter an integer between 0 and 3000."));
    year->setValue(1999);
    v1->findChildren<QLineEdit*>().front()->setText(QStringLiteral("Title"));
    EXPECT_TRUE(dialog.Save());
    MpegFileInfo info;
    ASSERT_EQ(info.Read(song), MpegFileInfo::kRead);
    EXPECT_TRUE(info.hasId3v1);
    EXPECT_EQ(info.tag.Year(), 1999);

    const std::string wav = dir.File("a.wav");
    WriteAll(wav, std::vector<std::uint8_t>(1024, 0));
    CId3TagDialog failed(prompt, {wav});
    EXPECT_FALSE(failed.IsLoaded());
    EXPECT_TRUE(prompt.WasAsked(CTagEditorData::kOpenFailedText));
}

// What the window shows and reads back is what the file holds: a save without a change
// leaves every byte, a genre outside the list and a track beyond 255 included.
TEST(TagDialogsTest, TagEditorSavedUnchangedLeavesTheFileAlone) {
    using namespace Id3v2Bytes;
    auto frame = [](std::string_view id, std::string_view text) {
        const Bytes data = Latin(text);
        return Cat({B(id), Plain(static_cast<std::uint32_t>(data.size())), Bytes{0, 0}, data});
    };
    const Bytes file = Cat(
        {Tag(3, 0, Cat({frame("TIT2", "Song"), frame("TCON", "Indie Rock"), frame("TRCK", "3/12")}),
             40),
         TestFiles::Frames(TestFiles::kMpeg1, TestFiles::kLayer3, 9, 0, 1, 20),
         TestFiles::Id3v1Block("Song", "Band", "", "", "", 0, 187)});
    TempDir dir;
    const std::string song = dir.File("a.mp3");
    WriteAll(song, file);
    ScriptedPrompt prompt;
    CId3TagDialog dialog(prompt, {song});
    ASSERT_TRUE(dialog.IsLoaded());
    const auto genres = dialog.findChildren<QComboBox*>();
    EXPECT_TRUE(std::any_of(genres.begin(), genres.end(), [](QComboBox* genre) {
        return genre->currentText() == QStringLiteral("Indie Rock");
    }));
    EXPECT_TRUE(dialog.Save());
    EXPECT_EQ(ReadAll(song), file);
}

} // namespace
