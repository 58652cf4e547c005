#include "GstTestSupport.h"

#include <cstring>
#include <gst/gst.h>

namespace {

class GstTransportTest : public GstContextFixture {
protected:
    // The leaks tracer (GST_TRACERS=leaks in the environment), or null when it does not run.
    static GstTracer* LeaksTracer() {
        GstTracer* found = nullptr;
        GList* tracers = gst_tracing_get_active_tracers();
        for (GList* item = tracers; item != nullptr; item = item->next) {
            if (std::strcmp(G_OBJECT_TYPE_NAME(item->data), "GstLeaksTracer") == 0) {
                found = static_cast<GstTracer*>(gst_object_ref(item->data));
            }
        }
        g_list_free_full(tracers, gst_object_unref);
        return found;
    }
    // Playbins made less playbins freed since the tracer's last checkpoint.
    static int PlaybinsKeptSinceCheckpoint(GstTracer* tracer) {
        GstStructure* checkpoint = nullptr;
        g_signal_emit_by_name(tracer, "activity-get-checkpoint", &checkpoint);
        int count = 0;
        for (const auto& [field, sign] :
             {std::pair{"objects-created-list", 1}, std::pair{"objects-removed-list", -1}}) {
            const GValue* list = gst_structure_get_value(checkpoint, field);
            for (guint n = 0; list != nullptr && n < gst_value_list_get_size(list); ++n) {
                const GstStructure* entry =
                    gst_value_get_structure(gst_value_list_get_value(list, n));
                const gchar* type = gst_structure_get_string(entry, "type-name");
                count += type != nullptr && std::strcmp(type, "GstPlayBin") == 0 ? sign : 0;
            }
        }
        gst_structure_free(checkpoint);
        return count;
    }
};

// A box that loops for days opens and closes a device per song: nothing may pile up.
TEST_F(GstTransportTest, OpeningAndClosingManyTimesLeavesNothingBehind) {
    const std::string song = Media("cbr.mp3");
    const auto once = [&] {
        ASSERT_EQ(Open(song), 0u);
        ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
        ASSERT_EQ(Send("stop mpeg wait"), 0u);
        ASSERT_EQ(Send("close mpeg wait"), 0u);
    };
    once(); // the first open loads plugins and starts GStreamer's own threads
    const int descriptors = OpenDescriptors();
    GstTracer* tracer = LeaksTracer();
    if (tracer != nullptr) {
        g_signal_emit_by_name(tracer, "activity-start-tracking");
    }
    for (int n = 0; n < 20; ++n) {
        once();
    }
    EXPECT_LE(OpenDescriptors(), descriptors + 2);
    if (tracer != nullptr) {
        EXPECT_EQ(PlaybinsKeptSinceCheckpoint(tracer), 0);
        g_signal_emit_by_name(tracer, "activity-stop-tracking");
        gst_object_unref(tracer);
    }
}

// Held prerolled for a while first: the re-preroll before playing keeps it on time.
TEST_F(GstTransportTest, OpenPlayPauseResumeSeekStopClose) {
    const std::string song = Media("long.mp3");
    ASSERT_EQ(Send("new alias mpeg type mpegvideo"), 0u);
    ASSERT_EQ(Open(song), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    EXPECT_EQ(Send("set mpeg seek exactly on wait"), 0u);
    EXPECT_EQ(Send("set mpeg time format ms wait"), 0u);
    EXPECT_EQ(Send("set mpeg speed 1000 wait"), 0u);
    EXPECT_EQ(Ask("info mpeg file"), song);
    std::this_thread::sleep_for(500ms);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    std::this_thread::sleep_for(1000ms);
    const auto position = static_cast<double>(AskNumber("status mpeg position wait"));
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - start;
    EXPECT_NEAR(position, elapsed.count(), 150);

    ASSERT_EQ(Send("pause mpeg"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "paused");
    const std::int64_t paused = AskNumber("status mpeg position");
    std::this_thread::sleep_for(300ms);
    EXPECT_NEAR(AskNumber("status mpeg position"), paused, 30);

    ASSERT_EQ(Send("resume mpeg"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    EXPECT_TRUE(WaitFor([&] { return AskNumber("status mpeg position") >= paused + 200; }, 3s));
    ASSERT_EQ(Send("play mpeg from 3000 notify"), 0u);
    const std::int64_t sought = AskNumber("status mpeg position");
    EXPECT_NEAR(sought, 3145, 155); // 2990 to 3300

    ASSERT_EQ(Send("stop mpeg wait"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "stopped");
    const std::int64_t stopped = AskNumber("status mpeg position");
    EXPECT_GE(stopped, sought);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(AskNumber("status mpeg position"), stopped);

    ASSERT_EQ(Send("close mpeg wait"), 0u);
    EXPECT_EQ(Send("status mpeg mode"), MciError::kDeviceNotOpen);
    EXPECT_EQ(OpenDescriptors(song), 0);
}

TEST_F(GstTransportTest, WaveFilePlaysToAnEndPositionOrTheEndThenStopsAndPlaysAgain) {
    ASSERT_EQ(Open(Media("tone.wav")), 0u);
    EXPECT_EQ(AskNumber("status mpeg length"), 3000);
    ASSERT_EQ(Send("play mpeg from 1000 to 1600"), 0u);
    EXPECT_TRUE(StopsWithin(3s));
    EXPECT_NEAR(AskNumber("status mpeg position"), 1600, 100);
    EXPECT_EQ(Send("play mpeg from 9000 notify"), MciError::kOutOfRange);

    ASSERT_EQ(Send("play mpeg from 2200 notify"), 0u);
    EXPECT_TRUE(StopsWithin(4s));
    EXPECT_NEAR(AskNumber("status mpeg position"), 3000, 100);
    EXPECT_NEAR(AskNumber("status mpeg length"), 3000, 100);
    ASSERT_EQ(Send("play mpeg from 0 notify"), 0u);
    EXPECT_EQ(Ask("status mpeg mode"), "playing");
    EXPECT_TRUE(WaitFor([&] { return AskNumber("status mpeg position") >= 200; }, 3s));
}

// Each context holds its own "mpeg"; closing, destroying the context and failing all
// let go of the file.
TEST_F(GstTransportTest, TwoContextsEachHoldTheirOwnMpegAndEveryWayOutReleasesTheFile) {
    const std::string song = Media("long.mp3");
    auto other = m_factory.CreateContext();
    std::string reply;
    ASSERT_EQ(Open(song), 0u);
    ASSERT_EQ(other->SendString("open \"" + Media("cbr.mp3") + "\" alias mpeg wait", reply), 0u);
    ASSERT_EQ(Send("play mpeg from 2000 notify"), 0u);
    ASSERT_EQ(other->SendString("play mpeg from 0 notify", reply), 0u);
    std::this_thread::sleep_for(300ms);
    EXPECT_GE(AskNumber("status mpeg position"), 2200);
    ASSERT_EQ(other->SendString("status mpeg position", reply), 0u);
    EXPECT_LT(std::stoll(reply), 1000);
    ASSERT_EQ(other->SendString("info mpeg file", reply), 0u);
    EXPECT_EQ(reply, Media("cbr.mp3"));
    EXPECT_GE(OpenDescriptors(song), 1);
    m_pContext.reset();
    EXPECT_EQ(OpenDescriptors(song), 0);
    EXPECT_GE(OpenDescriptors(Media("cbr.mp3")), 1);

    m_pContext = m_factory.CreateContext();
    ASSERT_EQ(Open(song), 0u);
    EXPECT_EQ(Open(song), MciError::kDuplicateAlias);
    ASSERT_EQ(Send("close mpeg"), 0u);
    EXPECT_EQ(OpenDescriptors(song), 0);
}

} // namespace
