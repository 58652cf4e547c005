#include "CGstTapPipeline.h"

#include "platform/gst/GstRuntime.h"
#include "platform/gst/IMixTap.h"

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>

namespace {

// About two seconds of the mix.
constexpr guint64 kQueueBytes = 2ULL * IMixTap::kRate * IMixTap::kChannels * sizeof(float);

} // namespace

CGstTapPipeline::CGstTapPipeline() = default;

CGstTapPipeline::~CGstTapPipeline() {
    if (m_pPipeline != nullptr) {
        gst_element_set_state(m_pPipeline, GST_STATE_NULL);
        gst_object_unref(m_pSource);
        gst_object_unref(m_pPipeline);
    }
}

bool CGstTapPipeline::Build(const std::string& tail, std::string& error) {
    if (!GstRuntime::Init()) {
        error = "GStreamer did not start";
        return false;
    }
    GError* failure = nullptr;
    const std::string description = "appsrc name=mix ! " + tail;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &failure);
    if (failure != nullptr) {
        error = failure->message;
        g_error_free(failure);
        if (pipeline != nullptr) {
            gst_object_unref(pipeline);
        }
        return false;
    }
    m_pPipeline = pipeline;
    m_pSource = gst_bin_get_by_name(GST_BIN(pipeline), "mix");
    GstCaps* caps = gst_caps_new_simple(
        "audio/x-raw", "format", G_TYPE_STRING, "F32LE", "layout", G_TYPE_STRING, "interleaved",
        "channels", G_TYPE_INT, IMixTap::kChannels, "rate", G_TYPE_INT, IMixTap::kRate, nullptr);
    g_object_set(m_pSource, "caps", caps, "format", GST_FORMAT_TIME, "is-live", TRUE, "block",
                 FALSE, "max-bytes", kQueueBytes, nullptr);
    gst_util_set_object_arg(G_OBJECT(m_pSource), "leaky-type", "downstream");
    gst_caps_unref(caps);
    return true;
}

bool CGstTapPipeline::Play() {
    m_nEpoch.fetch_add(1);
    return gst_element_set_state(m_pPipeline, GST_STATE_PLAYING) != GST_STATE_CHANGE_FAILURE;
}

void CGstTapPipeline::Halt() {
    gst_element_set_state(m_pPipeline, GST_STATE_NULL);
    // Whatever the bus still holds belongs to the run that ended.
    GstBus* bus = gst_element_get_bus(m_pPipeline);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_flushing(bus, FALSE);
    gst_object_unref(bus);
}

void CGstTapPipeline::Push(const float* samples, std::size_t frames) {
    const std::uint64_t epoch = m_nEpoch.load();
    if (epoch != m_nSeenEpoch) {
        m_nSeenEpoch = epoch;
        m_nFrames = 0;
    }
    const gsize bytes = frames * IMixTap::kChannels * sizeof(float);
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, bytes, nullptr);
    gst_buffer_fill(buffer, 0, samples, bytes);
    GST_BUFFER_PTS(buffer) = gst_util_uint64_scale(m_nFrames, GST_SECOND, IMixTap::kRate);
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(frames, GST_SECOND, IMixTap::kRate);
    m_nFrames += frames;
    // Takes the buffer; refused (flushing) while the pipeline does not play.
    gst_app_src_push_buffer(GST_APP_SRC(m_pSource), buffer);
}

bool CGstTapPipeline::Finish(std::chrono::milliseconds limit) {
    gst_app_src_end_of_stream(GST_APP_SRC(m_pSource));
    GstMessage* message = PopFault(limit);
    const bool ended = message != nullptr && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message != nullptr) {
        gst_message_unref(message);
    }
    return ended;
}

GstMessage* CGstTapPipeline::PopFault(std::chrono::milliseconds limit) {
    GstBus* bus = gst_element_get_bus(m_pPipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, static_cast<GstClockTime>(limit.count()) * GST_MSECOND,
        static_cast<GstMessageType>(GST_MESSAGE_ERROR | GST_MESSAGE_EOS));
    gst_object_unref(bus);
    return message;
}

GstElement* CGstTapPipeline::Element(const char* name) const {
    GstElement* element = gst_bin_get_by_name(GST_BIN(m_pPipeline), name);
    if (element != nullptr) {
        gst_object_unref(element); // the pipeline keeps it alive
    }
    return element;
}
