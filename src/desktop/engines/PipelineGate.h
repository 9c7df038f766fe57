#pragma once

#include <functional>
#include <vector>

namespace tq::desktop {

// Holds back the start of video pipelines until it opens. The program opens it once the window
// has drawn its first frame: a pipeline's start loads GStreamer's demuxers and decoders (dozens of
// libraries), which would otherwise delay that frame. Main loop only.
class PipelineGate {
public:
    bool isOpen() const { return open_; }
    // Runs `start` now when the gate is open, else when it opens (in the order asked).
    void whenOpen(std::function<void()> start);
    void open();

private:
    bool open_ = false;
    std::vector<std::function<void()>> waiting_;
};

}  // namespace tq::desktop
