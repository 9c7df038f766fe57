#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/foundation/Bundle.h"

namespace tq {
namespace {

// A clip decoded to the end, each frame shrunk to a small grey picture.
struct DecodedClip {
    std::vector<std::vector<std::uint8_t>> frames;
    GstClockTime end = 0;  // the last frame's time plus its duration
    std::string error;
};

constexpr int kSide = 64;

void keepFrame(GstElement*, GstBuffer* buffer, GstPad*, gpointer data) {
    auto& clip = *static_cast<DecodedClip*>(data);
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ)) return;
    clip.frames.emplace_back(map.data, map.data + std::min<gsize>(map.size, kSide * kSide));
    gst_buffer_unmap(buffer, &map);
    if (GST_BUFFER_PTS_IS_VALID(buffer)) {
        clip.end = GST_BUFFER_PTS(buffer) + (GST_BUFFER_DURATION_IS_VALID(buffer) ? GST_BUFFER_DURATION(buffer) : 0);
    }
}

DecodedClip decode(const std::string& file) {
    DecodedClip clip;
    gchar* location = g_strescape(file.c_str(), nullptr);
    const std::string description = std::string("filesrc location=\"") + location +
                                    "\" ! decodebin ! videoconvert ! videoscale ! video/x-raw,format=GRAY8,width=" +
                                    std::to_string(kSide) + ",height=" + std::to_string(kSide) +
                                    " ! fakesink name=sink signal-handoffs=true sync=false";
    g_free(location);
    GError* failure = nullptr;
    GstElement* pipeline = gst_parse_launch(description.c_str(), &failure);
    if (!pipeline) {
        clip.error = failure ? failure->message : "no pipeline";
        g_clear_error(&failure);
        return clip;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_signal_connect(sink, "handoff", G_CALLBACK(keepFrame), &clip);
    gst_object_unref(sink);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND,
                                                     static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    if (!message) {
        clip.error = "no end of stream within 30 s";
    } else if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
        GError* error = nullptr;
        gst_message_parse_error(message, &error, nullptr);
        clip.error = error ? error->message : "error";
        g_clear_error(&error);
    }
    if (message) gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return clip;
}

double meanDifference(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    const auto n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return n ? sum / double(n) : 0;
}

class HomeClips : public ::testing::TestWithParam<const char*> {
protected:
    static void SetUpTestSuite() { gst_init(nullptr, nullptr); }
};

// The home screen plays each clip in a loop behind its buttons.
TEST_P(HomeClips, DecodeLastMoreThanASecondAndLoopWithoutAJump) {
    Bundle bundle(TQ_TEST_BUNDLE_DIR);
    auto file = bundle.pathForResource(GetParam(), "mp4");
    ASSERT_TRUE(file) << "the bundle has no " << GetParam() << ".mp4";
    auto clip = decode(file->string());
    ASSERT_EQ(clip.error, "");
    ASSERT_GE(clip.frames.size(), 2u);
    EXPECT_GT(clip.end, GST_SECOND);

    // Going from the last frame back to the first is no bigger a change than the steps within the
    // clip. Below a mean of one grey level a difference is the encoder's own (the first frame is
    // coded whole, the others as changes), not a jump anyone would see; a cut to another picture
    // or a pattern that snaps back is tens of levels.
    double largestStep = 0;
    for (std::size_t i = 1; i < clip.frames.size(); ++i) {
        largestStep = std::max(largestStep, meanDifference(clip.frames[i - 1], clip.frames[i]));
    }
    const double wrap = meanDifference(clip.frames.back(), clip.frames.front());
    EXPECT_LE(wrap, std::max(1.5 * largestStep, 1.0))
        << "the loop jumps: " << wrap << " against steps up to " << largestStep;
}

INSTANTIATE_TEST_SUITE_P(Bundle, HomeClips, ::testing::Values("vertical", "horrizontal"));

}  // namespace
}  // namespace tq
