// The program may quit while pipelines still run (the home screen's video, a content's audio, a
// streamed video): their streaming threads then outlive the main loop, and must never reach it.
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>
#include <variant>

#include "EngineHarness.h"
#include "desktop/engines/GstSupport.h"
#include "platform/media/AudioFileInfo.h"
#include "platform/media/MediaBackend.h"
#include "platform/media/VideoPlayer.h"
#include "platform/services/FileURL.h"
#include "support/MediaFixtures.h"

namespace tq::test {
namespace {

// Real time passes and GLib's loop turns, but no application loop: it has gone.
bool waitWithoutTheLoop(const std::function<bool()>& condition, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        if (condition()) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        g_usleep(5000);
    }
}

// The media outlive the environment's folder.
class MediaFolder {
public:
    MediaFolder() : path_(std::filesystem::temp_directory_path() / ("tq-quit-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~MediaFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path sub(const std::string& name) {
        auto folder = path_ / name;
        std::filesystem::create_directories(folder);
        return folder;
    }

private:
    std::filesystem::path path_;
};

struct Pipeline {
    std::string kind;
    std::function<double()> position;
    double length;
};

// Every kind of pipeline plays, the environment (and with it the main loop) goes, and the
// pipelines play on to their ends, where their streaming threads post the end of the stream.
TEST(QuitWhilePlaying, PipelinesThatOutliveTheEnvironmentNeverReachItsLoop) {
    MediaFolder folder;
    // Long enough to be sure to play on after the loop has gone, on a loaded machine too.
    constexpr double kLength = 4.0;
    auto fileClip = makeVideoFile(folder.sub("file"), kLength);
    auto harness = std::make_unique<EngineHarness>(EngineKind::real);
    auto& media = harness->env().shared<MediaEngine>();

    const std::string track = wavBytes(kLength);
    auto info = probeAudio(track);
    ASSERT_TRUE(std::holds_alternative<AudioFileInfo>(info));
    auto audio = media.makeAudioBackend(std::get<AudioFileInfo>(info), track);
    auto video = media.makeVideoBackend();
    video->setItem(std::make_shared<VideoPlayerItem>(fileURL(fileClip)));
    video->setVolume(0, true);
    video->setRate(1);
    audio->play();
    const std::vector<Pipeline> pipelines = {
        {"content audio from memory", [&] { return audio->position(); }, kLength},
        {"video file", [&] { return video->position(); }, kLength},
    };
    ASSERT_TRUE(harness->waitFor(
        [&] {
            for (const auto& pipeline : pipelines) {
                if (pipeline.position() <= 0.1) return false;
            }
            return true;
        },
        20, "every pipeline playing"));

    harness.reset();

    // Still playing: their ends come after the loop has gone.
    for (const auto& pipeline : pipelines) {
        EXPECT_LT(pipeline.position(), pipeline.length - 0.1) << pipeline.kind << " ended before the loop went";
    }
    for (const auto& pipeline : pipelines) {
        EXPECT_TRUE(waitWithoutTheLoop([&] { return pipeline.position() >= pipeline.length - 0.1; }, 30))
            << pipeline.kind << " played on to its end";
    }
    // The end of each stream reaches the bus a moment after the last frame was played.
    waitWithoutTheLoop([] { return false; }, 0.3);
    audio.reset();
    video.reset();
}

// The same, one message at a time: a streaming thread's message after the loop has gone is dropped.
TEST(QuitWhilePlaying, ABusMessageFromAStreamingThreadAfterTheLoopHasGoneIsDropped) {
    ASSERT_TRUE(desktop::ensureGStreamer());
    ManualClock clock;
    auto loop = std::make_unique<MainLoop>(clock);
    GstElement* pipeline = gst_pipeline_new(nullptr);
    gst_object_ref_sink(pipeline);
    int heard = 0;
    auto link = std::make_unique<desktop::BusLink>(*loop, pipeline, [&](const desktop::PipelineEvent&) { ++heard; });
    GstBus* bus = gst_element_get_bus(pipeline);
    auto postEndFromAStreamingThread = [&] {
        std::thread streaming([&] { gst_bus_post(bus, gst_message_new_eos(GST_OBJECT(pipeline))); });
        streaming.join();
    };

    postEndFromAStreamingThread();
    loop->runPending();
    EXPECT_EQ(heard, 1);

    loop.reset();
    postEndFromAStreamingThread();
    EXPECT_EQ(heard, 1);

    link.reset();
    gst_object_unref(bus);
    gst_object_unref(pipeline);
}

}  // namespace
}  // namespace tq::test
