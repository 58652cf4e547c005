#include "platform/analysis/CGstLoudnessAnalyser.h"

#include "platform/analysis/CEbur128Meter.h"
#include "platform/gst/GstRuntime.h"

#include <gst/app/gstappsink.h>
#include <gst/gst.h>

#include <chrono>
#include <memory>

namespace {

using Clock = std::chrono::steady_clock;

// A pull waits this long, so a stop is seen within it.
constexpr GstClockTime kPullTimeout = 40 * GST_MSECOND;
// A decoder that delivers nothing for this long (a stalled or endless source) gives up.
constexpr auto kStallLimit = std::chrono::seconds(20);

// decodebin's new pad: the first audio stream goes to the converter. A static
// trampoline; it touches only the pads.
void OnPadAdded(GstElement* /*decodebin*/, GstPad* pad, gpointer converter) {
    GstCaps* caps = gst_pad_get_current_caps(pad);
    if (caps == nullptr) {
        caps = gst_pad_query_caps(pad, nullptr);
    }
    const gchar* name = caps != nullptr && gst_caps_get_size(caps) > 0
                            ? gst_structure_get_name(gst_caps_get_structure(caps, 0))
                            : "";
    const bool audio = g_str_has_prefix(name, "audio/");
    if (caps != nullptr) {
        gst_caps_unref(caps);
    }
    if (!audio) {
        return;
    }
    GstPad* sink = gst_element_get_static_pad(GST_ELEMENT(converter), "sink");
    if (!gst_pad_is_linked(sink)) {
        gst_pad_link(pad, sink);
    }
    gst_object_unref(sink);
}

struct PipelineDeleter {
    void operator()(GstElement* pipeline) const {
        gst_element_set_state(pipeline, GST_STATE_NULL);
        gst_object_unref(pipeline);
    }
};
using Pipeline = std::unique_ptr<GstElement, PipelineDeleter>;

// filesrc ! decodebin ! audioconvert ! F32LE stereo interleaved ! appsink
Pipeline Build(const std::string& path, GstAppSink*& sink) {
    Pipeline pipeline(gst_pipeline_new(nullptr));
    GstElement* source = gst_element_factory_make("filesrc", nullptr);
    GstElement* decoder = gst_element_factory_make("decodebin", nullptr);
    GstElement* converter = gst_element_factory_make("audioconvert", nullptr);
    GstElement* appsink = gst_element_factory_make("appsink", nullptr);
    if (!pipeline || source == nullptr || decoder == nullptr || converter == nullptr ||
        appsink == nullptr) {
        for (GstElement* e : {source, decoder, converter, appsink}) {
            if (e != nullptr) {
                gst_object_unref(e);
            }
        }
        return nullptr;
    }
    g_object_set(source, "location", path.c_str(), nullptr);
    GstCaps* caps =
        gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout",
                            G_TYPE_STRING, "interleaved", "channels", G_TYPE_INT, 2, nullptr);
    g_object_set(appsink, "caps", caps, "sync", FALSE, "max-buffers", 8, "drop", FALSE, nullptr);
    gst_caps_unref(caps);
    gst_bin_add_many(GST_BIN(pipeline.get()), source, decoder, converter, appsink, nullptr);
    // Decoders hand out small buffers (1152 frames for MP3); joined into 100 ms ones they
    // cost the two threads far fewer hand-overs. Without the element the analysis works
    // all the same, a little slower.
    GstElement* joiner = gst_element_factory_make("audiobuffersplit", nullptr);
    if (joiner != nullptr) {
        g_object_set(joiner, "output-buffer-duration", 1, 10, nullptr);
        gst_bin_add(GST_BIN(pipeline.get()), joiner);
    }
    const bool linked = joiner != nullptr
                            ? gst_element_link_many(converter, joiner, appsink, nullptr)
                            : gst_element_link(converter, appsink);
    if (!gst_element_link(source, decoder) || !linked) {
        return nullptr;
    }
    g_signal_connect(decoder, "pad-added", G_CALLBACK(OnPadAdded), converter);
    sink = GST_APP_SINK(appsink);
    return pipeline;
}

// Empties the pipeline's bus (tags and state changes pile up over a long song) and
// tells whether an error was among its messages.
bool HasError(GstElement* pipeline) {
    GstBus* bus = gst_element_get_bus(pipeline);
    bool error = false;
    while (GstMessage* message = gst_bus_pop(bus)) {
        error = error || GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    return error;
}

} // namespace

IAudioAnalyser::Outcome CGstLoudnessAnalyser::Analyse(const std::string& path, bool truePeak,
                                                      const std::atomic<bool>& stop,
                                                      LoudnessMeasurement& measurement) {
    if (!GstRuntime::Init()) {
        return Outcome::kUnreadable;
    }
    GstAppSink* sink = nullptr;
    Pipeline pipeline = Build(path, sink);
    if (!pipeline ||
        gst_element_set_state(pipeline.get(), GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) {
        return Outcome::kUnreadable;
    }
    std::unique_ptr<CEbur128Meter> meter;
    auto lastProgress = Clock::now();
    bool error = false;
    for (unsigned pulls = 0; !stop.load(); ++pulls) {
        GstSample* sample = gst_app_sink_try_pull_sample(sink, kPullTimeout);
        if (sample == nullptr || pulls % 256 == 0) {
            error = HasError(pipeline.get()) || error;
        }
        if (sample == nullptr) {
            if (gst_app_sink_is_eos(sink)) {
                break;
            }
            if (error || Clock::now() - lastProgress > kStallLimit) {
                return Outcome::kUnreadable;
            }
            continue;
        }
        lastProgress = Clock::now();
        if (!meter) {
            gint rate = 0;
            GstCaps* caps = gst_sample_get_caps(sample);
            if (caps == nullptr ||
                !gst_structure_get_int(gst_caps_get_structure(caps, 0), "rate", &rate) ||
                rate <= 0) {
                gst_sample_unref(sample);
                return Outcome::kUnreadable;
            }
            meter = std::make_unique<CEbur128Meter>(2, static_cast<unsigned long>(rate), truePeak);
            if (!meter->IsValid()) {
                gst_sample_unref(sample);
                return Outcome::kUnreadable;
            }
        }
        GstBuffer* buffer = gst_sample_get_buffer(sample);
        GstMapInfo map;
        if (buffer != nullptr && gst_buffer_map(buffer, &map, GST_MAP_READ)) {
            meter->Add(reinterpret_cast<const float*>(map.data), map.size / (2 * sizeof(float)));
            gst_buffer_unmap(buffer, &map);
        }
        gst_sample_unref(sample);
    }
    if (stop.load()) {
        return Outcome::kStopped;
    }
    if (!meter || meter->FrameCount() == 0 || HasError(pipeline.get()) || error) {
        return Outcome::kUnreadable;
    }
    meter->Finish(measurement);
    return Outcome::kMeasured;
}
