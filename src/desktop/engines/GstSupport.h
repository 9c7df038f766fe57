#pragma once

#include <gst/gst.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "desktop/engines/PipelineGate.h"
#include "platform/media/MediaError.h"

namespace tq {
class MainLoop;
}

namespace tq::desktop {

// Starts GStreamer once for the process; false (with the reason) when it cannot run here.
bool ensureGStreamer(std::string* reason = nullptr);

// A sink described as gst-launch text ("autoaudiosink", "fakesink sync=true"), made into one
// element; null when the text names nothing that can be made.
GstElement* makeSink(const std::string& description);

// Seconds <-> GStreamer's nanoseconds.
inline double toSeconds(gint64 time) { return static_cast<double>(time) / GST_SECOND; }
inline gint64 toClockTime(double seconds) { return static_cast<gint64>(seconds * GST_SECOND); }

// What a pipeline's bus says that a backend acts on, read on the streaming thread that posted it.
struct PipelineEvent {
    enum class Kind { prerolled, endOfStream, error, durationChanged };
    Kind kind;
    MediaError error{};
};

// Hands a pipeline's bus messages to the main loop: the streaming threads post through the loop's
// gate, the backend hears them on the main loop, and nothing reaches a backend that has gone, nor
// a loop that has gone before the pipeline stopped. The backend sets the pipeline to NULL before
// the link goes.
class BusLink {
public:
    using Handler = std::function<void(const PipelineEvent&)>;
    BusLink(MainLoop& loop, GstElement* pipeline, Handler handler);
    ~BusLink();
    BusLink(const BusLink&) = delete;
    BusLink& operator=(const BusLink&) = delete;

    struct Shared;

private:
    GstElement* pipeline_;
    std::shared_ptr<Shared> shared_;
};

// The pipeline's position in seconds, when it knows one.
std::optional<double> queryPosition(GstElement* pipeline);
std::optional<double> queryDuration(GstElement* pipeline);

}  // namespace tq::desktop
