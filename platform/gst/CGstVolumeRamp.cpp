#include "platform/gst/CGstVolumeRamp.h"

#include <algorithm>
#include <gst/controller/gstdirectcontrolbinding.h>
#include <gst/controller/gstinterpolationcontrolsource.h>
#include <gst/gst.h>

namespace {

// Time left for the streaming thread to finish a buffer it may be working on.
constexpr std::int64_t kLeadMarginNs = 5'000'000;
// Changes asked within this much playing time of each other belong to one step.
constexpr std::int64_t kSameMomentNs = 10'000'000;

GstTimedValueControlSource* Curve(GstControlSource* source) {
    return reinterpret_cast<GstTimedValueControlSource*>(source);
}

struct SProgress {
    std::atomic<std::int64_t>* pEndNs;
    std::atomic<std::int64_t>* pBufferNs;
};

// Streaming thread: remember where the element's output has got to. The buffers of a
// file's stream carry their stream time as time stamps.
GstPadProbeReturn NoteProcessed(GstPad*, GstPadProbeInfo* info, gpointer data) {
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    if (buffer != nullptr && GST_BUFFER_PTS_IS_VALID(buffer)) {
        const auto* progress = static_cast<const SProgress*>(data);
        std::int64_t length = 0;
        if (GST_BUFFER_DURATION_IS_VALID(buffer)) {
            length = static_cast<std::int64_t>(GST_BUFFER_DURATION(buffer));
        }
        progress->pBufferNs->store(length);
        progress->pEndNs->store(static_cast<std::int64_t>(GST_BUFFER_PTS(buffer)) + length);
    }
    return GST_PAD_PROBE_OK;
}

void FreeProgress(gpointer data) {
    delete static_cast<SProgress*>(data);
}

} // namespace

CGstVolumeRamp::~CGstVolumeRamp() {
    Detach();
}

bool CGstVolumeRamp::Attach(GstElement* volume) {
    Detach();
    m_pVolume = static_cast<GstElement*>(gst_object_ref(volume));
    m_pSource = gst_interpolation_control_source_new();
    g_object_set(m_pSource, "mode", GST_INTERPOLATION_MODE_LINEAR, nullptr);
    // The absolute binding hands the curve's values to "volume" as they are (the plain
    // binding would map 0..1 onto the property's whole range, 0..10).
    GstObject* object = reinterpret_cast<GstObject*>(m_pVolume);
    GstControlBinding* binding =
        gst_direct_control_binding_new_absolute(object, "volume", m_pSource);
    if (binding == nullptr || !gst_object_add_control_binding(object, binding)) {
        Detach();
        return false;
    }
    if (GstPad* pad = gst_element_get_static_pad(m_pVolume, "src")) {
        m_nProbe =
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &NoteProcessed,
                              new SProgress{&m_nProcessedEndNs, &m_nBufferNs}, &FreeProgress);
        gst_object_unref(pad);
    }
    SetNow(m_dGain);
    return true;
}

void CGstVolumeRamp::Detach() {
    if (m_pVolume != nullptr && m_nProbe != 0) {
        if (GstPad* pad = gst_element_get_static_pad(m_pVolume, "src")) {
            gst_pad_remove_probe(pad, m_nProbe);
            gst_object_unref(pad);
        }
    }
    m_nProbe = 0;
    if (m_pSource != nullptr) {
        gst_object_unref(m_pSource);
        m_pSource = nullptr;
    }
    if (m_pVolume != nullptr) {
        gst_object_unref(m_pVolume);
        m_pVolume = nullptr;
    }
    ForgetProcessed();
    m_points.clear();
    m_nLeadNs = kInitialLeadNs;
    m_bLeadMeasured = false;
}

void CGstVolumeRamp::ForgetProcessed() {
    m_nProcessedEndNs.store(-1);
    m_nLastStartNs = -1;
}

void CGstVolumeRamp::SetNow(double gain) {
    m_dGain = gain;
    m_nLastStartNs = -1;
    if (m_pVolume == nullptr) {
        return;
    }
    gst_timed_value_control_source_unset_all(Curve(m_pSource));
    m_points.clear();
    PlanGlide(0, gain, gain);
    g_object_set(m_pVolume, "volume", gain, nullptr);
}

void CGstVolumeRamp::GlideTo(double gain, std::int64_t positionNs) {
    m_dGain = gain;
    if (m_pVolume == nullptr) {
        return;
    }
    const std::int64_t processed = m_nProcessedEndNs.load();
    const std::int64_t ahead = processed - positionNs;
    if (positionNs >= 0 && ahead >= 0 && ahead < kMaxLeadNs) {
        const std::int64_t lead =
            ahead + kLeadMarginNs + (m_bLeadMeasured ? 0 : m_nBufferNs.load());
        m_nLeadNs = std::min(std::max(m_nLeadNs, lead), kMaxLeadNs);
        m_bLeadMeasured = true;
    }
    std::int64_t start = std::max<std::int64_t>({positionNs + m_nLeadNs, processed, 0});
    const bool sameMoment = m_nLastStartNs > processed && m_nLastPositionNs >= 0 &&
                            positionNs - m_nLastPositionNs < kSameMomentNs;
    if (sameMoment) {
        start = m_nLastStartNs;
    }
    const double from = GainAt(start);
    // What lies behind the element is done with; keep the last point it passed, which
    // holds the gain until the next one.
    std::size_t behind = 0;
    while (behind + 1 < m_points.size() && m_points[behind + 1].first <= processed) {
        ++behind;
    }
    for (std::size_t i = 0; i < behind; ++i) {
        gst_timed_value_control_source_unset(Curve(m_pSource),
                                             static_cast<GstClockTime>(m_points[i].first));
    }
    m_points.erase(m_points.begin(), m_points.begin() + static_cast<std::ptrdiff_t>(behind));
    Drop(start);
    PlanGlide(start, from, gain);
    m_nLastStartNs = start;
    m_nLastPositionNs = positionNs;
}

// Removes the points at or after a time.
void CGstVolumeRamp::Drop(std::int64_t fromNs) {
    while (!m_points.empty() && m_points.back().first >= fromNs) {
        gst_timed_value_control_source_unset(Curve(m_pSource),
                                             static_cast<GstClockTime>(m_points.back().first));
        m_points.pop_back();
    }
}

void CGstVolumeRamp::PlanGlide(std::int64_t start, double from, double to) {
    GstTimedValueControlSource* curve = Curve(m_pSource);
    gst_timed_value_control_source_set(curve, static_cast<GstClockTime>(start), from);
    m_points.emplace_back(start, from);
    if (to != from || start > 0) {
        gst_timed_value_control_source_set(curve, static_cast<GstClockTime>(start + kRampNs), to);
        m_points.emplace_back(start + kRampNs, to);
    }
}

double CGstVolumeRamp::GainAt(std::int64_t streamTimeNs) const {
    gdouble value = m_dGain;
    if (m_pSource == nullptr ||
        !gst_control_source_get_value(
            m_pSource, static_cast<GstClockTime>(std::max<std::int64_t>(streamTimeNs, 0)),
            &value)) {
        if (m_pVolume != nullptr) {
            g_object_get(m_pVolume, "volume", &value, nullptr);
        }
    }
    return value;
}
