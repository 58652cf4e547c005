#include "CGstLevelTap.h"

#include <gst/gst.h>

#include <string>

namespace {

constexpr float kSilenceDb = -120.0F;

// The i-th double of a value array field of the level message (peak, rms), or silence.
float Channel(const GstStructure* levels, const char* field, guint i) {
    const GValue* list = gst_structure_get_value(levels, field);
    if (list == nullptr || !G_VALUE_HOLDS_BOXED(list)) {
        return kSilenceDb;
    }
    const auto* values = static_cast<const GValueArray*>(g_value_get_boxed(list));
    if (values == nullptr || i >= values->n_values) {
        return kSilenceDb;
    }
    const double db = g_value_get_double(&values->values[i]);
    return db > kSilenceDb ? static_cast<float>(db) : kSilenceDb;
}

} // namespace

CGstLevelTap::CGstLevelTap() {
    for (int i = 0; i < kChannels; ++i) {
        m_peakDb[i].store(kSilenceDb);
        m_rmsDb[i].store(kSilenceDb);
    }
}

CGstLevelTap::~CGstLevelTap() {
    if (m_bBuilt) {
        m_pipeline.Halt();
    }
}

bool CGstLevelTap::Start() {
    std::string error;
    const std::string tail = "level name=level post-messages=true interval=" +
                             std::to_string(kIntervalMs * GST_MSECOND) +
                             " ! fakesink sync=false async=false";
    if (!m_pipeline.Build(tail, error)) {
        return false;
    }
    m_bBuilt = true;
    GstBus* bus = gst_element_get_bus(m_pipeline.Pipeline());
    gst_bus_set_sync_handler(bus, reinterpret_cast<GstBusSyncHandler>(&CGstLevelTap::OnBusMessage),
                             this, nullptr);
    gst_object_unref(bus);
    return m_pipeline.Play();
}

void CGstLevelTap::OnMixBlock(const float* samples, std::size_t frames) {
    if (m_bBuilt) {
        m_pipeline.Push(samples, frames);
    }
}

CGstLevelTap::Reading CGstLevelTap::Read() const {
    Reading reading;
    for (int i = 0; i < kChannels; ++i) {
        reading.peakDb[i] = m_peakDb[i].load();
        reading.rmsDb[i] = m_rmsDb[i].load();
    }
    reading.nCount = m_nCount.load();
    return reading;
}

// Streaming thread: the level's readings go to the atomics. No one reads this bus, so no
// message stays on it.
int CGstLevelTap::OnBusMessage(GstBus* /*bus*/, GstMessage* message, void* self) {
    const GstStructure* levels = gst_message_get_structure(message);
    if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ELEMENT && levels != nullptr &&
        gst_structure_has_name(levels, "level")) {
        static_cast<CGstLevelTap*>(self)->Store(levels);
    }
    gst_message_unref(message);
    return GST_BUS_DROP;
}

void CGstLevelTap::Store(const GstStructure* levels) {
    for (guint i = 0; i < kChannels; ++i) {
        m_peakDb[i].store(Channel(levels, "peak", i));
        m_rmsDb[i].store(Channel(levels, "rms", i));
    }
    m_nCount.fetch_add(1);
}
