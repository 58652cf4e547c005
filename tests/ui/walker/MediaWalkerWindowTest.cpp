#include "ShellFixture.h"
#include "catalogue/CMemorySongClipboard.h"
#include "ui/walker/CMediaWalkerWnd.h"

namespace {

TEST(MediaWalkerWindowTest, AsksWhileReadingAndAddsTheWholeListWhenNothingIsSelected) {
    CMixorel2001Doc doc;
    CMemorySongClipboard clipboard;
    doc.SetClipboard(&clipboard);
    for (const char* title : {"b", "a", "c"}) {
        AppendSong(doc, std::string("/music/") + title + ".mp3", title);
    }
    ScriptedPrompt prompt;
    // The songs wait for the processing thread: the walker asks first.
    EXPECT_EQ(CMediaWalkerWnd::Open(doc, prompt, {}), nullptr);
    EXPECT_TRUE(prompt.WasAsked(CMediaWalkerModel::kProcessingText));

    CMediaWalkerWnd walker(doc, prompt, {});
    EXPECT_EQ(walker.Model().GetListTitles(), (std::vector<std::string>{"a", "b", "c"}));
    walker.AddSongs();
    EXPECT_EQ(walker.Model().GetClipboardSize(), 0u) << "No to adding the whole list";
    prompt.answers[CMediaWalkerModel::kNoSelectionText] = IUserPrompt::kAnswerYes;
    walker.AddSongs();
    walker.AddSongs();
    EXPECT_EQ(walker.Model().GetClipboardSize(), 3u);
    std::vector<std::uint8_t> data;
    EXPECT_TRUE(clipboard.GetData(ISongClipboard::kSongFormat, data))
        << "the songs are on the program's song clipboard";
    prompt.answers[CMediaWalkerModel::kEmptyClipboardText] = IUserPrompt::kAnswerYes;
    walker.EmptyClipboard();
    walker.EmptyClipboard();
    EXPECT_TRUE(prompt.WasAsked(CMediaWalkerModel::kAlreadyEmptyText));
}

} // namespace
