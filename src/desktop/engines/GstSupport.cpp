#include "desktop/engines/GstSupport.h"

#include <mutex>

#include "platform/foundation/MainLoop.h"

namespace tq::desktop {

bool ensureGStreamer(std::string* reason) {
    static std::once_flag once;
    static bool ready = false;
    static std::string why;
    std::call_once(once, [] {
        GError* error = nullptr;
        ready = gst_init_check(nullptr, nullptr, &error);
        if (!ready) why = error ? error->message : "GStreamer could not start";
        g_clear_error(&error);
    });
    if (!ready && reason) *reason = why;
    return ready;
}

GstElement* makeSink(const std::string& description) {
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
    if (error) {
        g_clear_error(&error);
        if (sink) gst_object_unref(sink);
        return nullptr;
    }
    return sink;
}

std::optional<double> queryPosition(GstElement* pipeline) {
    gint64 position = 0;
    if (!gst_element_query_position(pipeline, GST_FORMAT_TIME, &position) || position < 0) return std::nullopt;
    return toSeconds(position);
}

std::optional<double> queryDuration(GstElement* pipeline) {
    gint64 duration = 0;
    if (!gst_element_query_duration(pipeline, GST_FORMAT_TIME, &duration) || duration <= 0) return std::nullopt;
    return toSeconds(duration);
}

struct BusLink::Shared {
    // The streaming threads may still post after the loop has gone, when a pipeline outlives it.
    std::shared_ptr<LoopGate> gate;
    Handler handler;
    GstElement* pipeline;
    // Emptied on the main loop when the backend goes; the posted tasks look here first.
    std::shared_ptr<bool> alive = std::make_shared<bool>(true);
};

namespace {

std::optional<PipelineEvent> eventOf(GstMessage* message, GstElement* pipeline) {
    switch (GST_MESSAGE_TYPE(message)) {
        case GST_MESSAGE_EOS:
            return PipelineEvent{PipelineEvent::Kind::endOfStream};
        case GST_MESSAGE_ASYNC_DONE:
            return PipelineEvent{PipelineEvent::Kind::prerolled};
        case GST_MESSAGE_DURATION_CHANGED:
            return PipelineEvent{PipelineEvent::Kind::durationChanged};
        case GST_MESSAGE_ERROR: {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            PipelineEvent event{PipelineEvent::Kind::error};
            event.error.code = error ? error->code : 0;
            event.error.description = error && error->message ? error->message : "the media cannot be played";
            g_clear_error(&error);
            return event;
        }
        default:
            (void)pipeline;
            return std::nullopt;
    }
}

GstBusSyncReply onMessage(GstBus*, GstMessage* message, gpointer data) {
    auto* shared = static_cast<std::shared_ptr<BusLink::Shared>*>(data);
    auto event = eventOf(message, (*shared)->pipeline);
    if (event) {
        std::weak_ptr<BusLink::Shared> weak = *shared;
        (*shared)->gate->post([weak, event = *event] {
            auto link = weak.lock();
            if (link && *link->alive) link->handler(event);
        });
    }
    return GST_BUS_DROP;
}

}  // namespace

BusLink::BusLink(MainLoop& loop, GstElement* pipeline, Handler handler)
    : pipeline_(pipeline), shared_(std::make_shared<Shared>(Shared{loop.gate(), std::move(handler), pipeline})) {
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(
        bus, onMessage, new std::shared_ptr<Shared>(shared_),
        [](gpointer data) { delete static_cast<std::shared_ptr<Shared>*>(data); });
    gst_object_unref(bus);
}

BusLink::~BusLink() {
    *shared_->alive = false;
    GstBus* bus = gst_element_get_bus(pipeline_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
}

}  // namespace tq::desktop
