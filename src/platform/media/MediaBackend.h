#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/media/MediaError.h"

namespace tq {

class Environment;
class VideoPlayerItem;
class VideoSurface;
struct AudioFileInfo;

// What a media engine reports to its player, on the main loop.
class MediaBackendListener {
public:
    virtual ~MediaBackendListener() = default;
    // The track or item has played to its end; the backend has stopped there.
    virtual void playbackReachedEnd() = 0;
    // The media cannot be played (it does not decode, or cannot be read); the backend has stopped.
    virtual void playbackFailed(const MediaError& error) = 0;
};

// The engine that sounds one audio player's track. The player keeps the application's side
// (preparation, loops, the delegate); the engine plays, keeps the position and fades the volume.
class AudioBackend {
public:
    virtual ~AudioBackend() = default;
    virtual void setListener(MediaBackendListener* listener) = 0;
    // From the present position.
    virtual void play() = 0;
    // Keeps the position.
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    // Seconds into the track, between 0 and its duration.
    virtual double position() const = 0;
    virtual void seek(double seconds) = 0;
    // 0 to 1, moving linearly from its present value over `fadeSeconds`.
    virtual double volume() const = 0;
    virtual void setVolume(double volume, double fadeSeconds) = 0;
};

// The engine that shows one video player's items.
class VideoBackend {
public:
    virtual ~VideoBackend() = default;
    virtual void setListener(MediaBackendListener* listener) = 0;
    // The item to show (none: nothing), from its start.
    virtual void setItem(std::shared_ptr<VideoPlayerItem> item) = 0;
    // The item's length became known (or changed).
    virtual void itemDurationChanged() = 0;
    // 0 pauses; 1 is normal speed.
    virtual void setRate(double rate) = 0;
    // Seconds into the item (0 without one).
    virtual double position() const = 0;
    virtual void seek(double seconds) = 0;
    virtual void setVolume(double volume, bool muted) = 0;
    // Where to draw the picture (none: nowhere). The surface is the one of the layer showing the
    // player; it may change while the item plays.
    virtual void setSurface(std::shared_ptr<VideoSurface> surface) = 0;
};

// The bytes are the whole audio file, held by the player for as long as the backend lives.
using AudioBackendFactory =
    std::function<std::unique_ptr<AudioBackend>(const AudioFileInfo& track, const std::string& bytes)>;
using VideoBackendFactory = std::function<std::unique_ptr<VideoBackend>()>;

// The media engine of one environment: which backends new players get, the headless ones unless
// another factory is set.
class MediaEngine {
public:
    explicit MediaEngine(Environment& env) : env_(env) {}
    void setAudioBackendFactory(AudioBackendFactory factory) { audio_ = std::move(factory); }
    void setVideoBackendFactory(VideoBackendFactory factory) { video_ = std::move(factory); }
    std::unique_ptr<AudioBackend> makeAudioBackend(const AudioFileInfo& track, const std::string& bytes);
    std::unique_ptr<VideoBackend> makeVideoBackend();

private:
    Environment& env_;
    AudioBackendFactory audio_;
    VideoBackendFactory video_;
};

}  // namespace tq
