#pragma once

namespace tq {

// Where a video backend draws the picture of a player layer. The headless engine draws nowhere; a
// desktop front end hands the backend a surface of its own kind when it shows the layer.
class VideoSurface {
public:
    virtual ~VideoSurface() = default;
};

}  // namespace tq
