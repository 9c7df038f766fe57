// The entry point of the GStreamer module (tq_gstreamer_engine.so); built into the module only.
#include "desktop/engines/GStreamerModule.h"

#include "desktop/engines/GstAudioBackend.h"
#include "desktop/engines/GstSupport.h"
#include "desktop/engines/GstVideoBackend.h"

namespace {

bool start(std::string* reason) { return tq::desktop::ensureGStreamer(reason); }

std::unique_ptr<tq::AudioBackend> makeAudio(tq::Environment& env, const std::string& bytes, const std::string& sink) {
    return std::make_unique<tq::desktop::GstAudioBackend>(env, bytes, sink);
}

std::unique_ptr<tq::VideoBackend> makeVideo(tq::Environment& env, const tq::desktop::GstVideoOutput& output) {
    return std::make_unique<tq::desktop::GstVideoBackend>(env, output);
}

}  // namespace

extern "C" const tq::desktop::GStreamerEngine* tqGStreamerEngine() {
    static const tq::desktop::GStreamerEngine engine{start, makeAudio, makeVideo};
    return &engine;
}
