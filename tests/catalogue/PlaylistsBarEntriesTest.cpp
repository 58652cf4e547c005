#include "catalogue/CPlaylistsBarEntries.h"

#include <gtest/gtest.h>

namespace {

using Entries = CPlaylistsBarEntries;

TEST(PlaylistsBarEntriesTest, NamesImagesAndTooltip) {
    EXPECT_EQ(Entries::NameFor("Party.qmx"), "Party");
    EXPECT_EQ(Entries::NameFor("My.qmx list.qmx"), "My.qmx list.qmx");
    EXPECT_EQ(Entries::NameFor("Untitled"), "Untitled");
    struct Case {
        std::uint32_t state;
        int image;
    };
    for (const Case& c :
         {Case{Entries::kNormal, 1}, Case{Entries::kLooping, 0}, Case{Entries::kAlarm, 2},
          Case{Entries::kLooping | Entries::kAlarm, 3}, Case{Entries::kLocked, 5},
          Case{Entries::kLocked | Entries::kLooping | Entries::kAlarm, 7}}) {
        EXPECT_EQ(Entries::ImageIndex(c.state), c.image) << c.state;
    }
    EXPECT_EQ(Entries::TooltipText("Party", 3.5 * 1048576, 3723, 12),
              "Party\n\nSize: 3.5 Mb\nDuration: 01:02:03\nSongs: 12");
}

TEST(PlaylistsBarEntriesTest, EntriesAndTheirStates) {
    int a = 0, a2 = 0, b = 0; // views; a and a2 show one document
    int docA = 0, docB = 0;
    Entries bar;
    EXPECT_EQ(bar.AddEntry(&a, &docA, "A.qmx", false), 0);
    EXPECT_EQ(bar.AddEntry(&b, &docB, "B.qmx", true), 1);
    EXPECT_EQ(bar.AddEntry(&a2, &docA, "A.qmx", false), 2);
    EXPECT_EQ(bar.AddEntry(&a, &docA, "A.qmx", false), 0) << "the same view is selected again";
    EXPECT_EQ(bar.GetCount(), 3);
    EXPECT_EQ(bar.GetSelected(), 0);
    EXPECT_EQ(bar.GetEntry(1).nState, static_cast<std::uint32_t>(Entries::kLocked));

    ASSERT_TRUE(bar.SetState(&b, Entries::kLooping, true));
    EXPECT_EQ(bar.FindLooping(), &b);
    ASSERT_TRUE(bar.SetState(&a, Entries::kLooping, true));
    EXPECT_EQ(bar.FindLooping(), &a);
    EXPECT_TRUE(bar.GetEntry(2).nState & Entries::kLooping) << "every view of the document";
    EXPECT_FALSE(bar.GetEntry(1).nState & Entries::kLooping) << "one looping list at a time";
    ASSERT_TRUE(bar.SetState(&a, Entries::kAlarm, true));
    EXPECT_FALSE(bar.GetEntry(2).nState & Entries::kAlarm) << "the alarm bit is the view's";
    ASSERT_TRUE(bar.SetState(&a, Entries::kLooping, false));
    EXPECT_EQ(bar.FindLooping(), nullptr);

    int stranger = 0;
    EXPECT_FALSE(bar.SetState(&stranger, Entries::kLocked, true));
    EXPECT_FALSE(bar.RemoveEntry(&stranger));

    const auto changed = bar.RefreshNames(
        [&](const void* view) { return view == &b ? std::string("B * *") : std::string("A.qmx"); });
    EXPECT_EQ(changed, std::vector<int>({1}));
    EXPECT_EQ(bar.GetEntry(1).strName, "B * *");
}

TEST(PlaylistsBarEntriesTest, SelectionActivationAndDrops) {
    int a = 0, b = 0, c = 0, doc = 0;
    Entries bar;
    EXPECT_EQ(bar.NextIndex(true), -1);
    EXPECT_EQ(bar.DropTarget(-1, 0, -1, 0), -1) << "an empty bar refuses drops";
    bar.AddEntry(&a, &doc, "a", false);
    bar.AddEntry(&b, &doc, "b", false);
    bar.AddEntry(&c, &doc, "c", false);
    EXPECT_EQ(bar.Tick(), &c) << "the new selection is activated at the next tick";
    EXPECT_EQ(bar.Tick(), nullptr) << "nothing changed since";
    EXPECT_EQ(bar.NextIndex(true), 0) << "wraps";
    bar.Select(bar.NextIndex(false));
    EXPECT_EQ(bar.GetSelected(), 1);
    EXPECT_EQ(bar.Activate(), &b);
    EXPECT_EQ(bar.Activate(), nullptr) << "the index activated last is not activated again";
    EXPECT_EQ(bar.Tick(), nullptr) << "already active";

    // A window activated elsewhere (a click into it): stepping on from it activates the
    // next entry, even the one the bar itself activated last.
    bar.SelectActive(2);
    EXPECT_EQ(bar.Tick(), nullptr) << "already active";
    bar.Select(bar.NextIndex(false));
    EXPECT_EQ(bar.Activate(), &b);

    // After a removal the last activated index stands for the next playlist.
    bar.RemoveEntry(&b);
    bar.Select(1);
    EXPECT_EQ(bar.GetEntry(1).pView, &c);
    EXPECT_EQ(bar.Activate(), nullptr);

    // Item under the point, point's y, first visible item and its top: the target.
    const int drops[][5] = {{1, 40, 0, 2, 1},    {-1, 7, 0, 2, 0}, {-1, 8, 0, 2, -1},
                            {-1, 300, 0, 2, -1}, {-1, 2, 1, 4, 1}, {-1, 10, 1, 4, -1}};
    for (const auto& [item, y, first, top, target] : drops) {
        EXPECT_EQ(bar.DropTarget(item, y, first, top), target) << item << " " << y << " " << first;
    }
}

} // namespace
