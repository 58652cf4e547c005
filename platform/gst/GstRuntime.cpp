// Threads: GStreamer is initialised once, by whichever thread asks first (call_once).
// Error messages are read from a pipeline's bus by the thread that owns the pipeline.

#include "platform/gst/GstRuntime.h"

#include "platform/mci/MciErrors.h"

#include <cstdlib>
#include <gst/gst.h>
#include <mutex>

namespace {

bool g_bInitialised = false;
constexpr GstClockTime kErrorWaitMs = 1000;

bool FromSink(GstMessage* message) {
    GstObject* source = GST_MESSAGE_SRC(message);
    return source != nullptr && GST_IS_ELEMENT(source) &&
           GST_OBJECT_FLAG_IS_SET(source, GST_ELEMENT_FLAG_SINK);
}

std::uint32_t ResourceErrorCode(int code, bool cd) {
    switch (code) {
    case GST_RESOURCE_ERROR_NOT_FOUND:
    case GST_RESOURCE_ERROR_OPEN_READ:
    case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
        return cd ? MciError::kDeviceNotReady : MciError::kFileNotFound;
    case GST_RESOURCE_ERROR_READ:
    case GST_RESOURCE_ERROR_SEEK:
        return cd ? MciError::kDeviceNotReady : MciError::kInvalidFile;
    default:
        return MciError::kDriverError;
    }
}

} // namespace

namespace GstRuntime {

bool Init() {
    static std::once_flag once;
    std::call_once(once, [] {
        GError* error = nullptr;
        g_bInitialised = gst_init_check(nullptr, nullptr, &error) != FALSE;
        if (error != nullptr) {
            g_error_free(error);
        }
    });
    return g_bInitialised;
}

std::string SinkDescription() {
    const char* sink = std::getenv("MIXOREL_AUDIO_SINK");
    if (sink == nullptr || *sink == '\0') {
        return "autoaudiosink";
    }
    return sink;
}

std::uint32_t ErrorCode(GstMessage* message, bool cd) {
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    if (error == nullptr) {
        return MciError::kDriverError;
    }
    std::uint32_t code = MciError::kDriverError;
    if (FromSink(message)) {
        code = MciError::kDriverError;
    } else if (error->domain == GST_RESOURCE_ERROR) {
        code = ResourceErrorCode(error->code, cd);
    } else if (error->domain == GST_STREAM_ERROR ||
               (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)) {
        // Unknown type, no decoder, corrupt data: this media cannot play here.
        code = cd ? MciError::kDeviceNotReady : MciError::kInvalidFile;
    }
    g_error_free(error);
    return code;
}

std::uint32_t TakeError(GstElement* pipeline, bool cd, std::uint32_t fallback) {
    GstBus* bus = gst_element_get_bus(pipeline);
    if (bus == nullptr) {
        return fallback;
    }
    std::uint32_t code = fallback;
    // A streaming thread may post the error just after the state change gave up.
    if (GstMessage* message =
            gst_bus_timed_pop_filtered(bus, kErrorWaitMs * GST_MSECOND, GST_MESSAGE_ERROR)) {
        code = ErrorCode(message, cd);
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    return code;
}

} // namespace GstRuntime
