#include "platform/media/AudioSession.h"

namespace tq {

std::optional<MediaError> AudioSession::setCategory(AudioSessionCategory category, AudioSessionMode mode) {
    if (refusal_) return refusal_;
    category_ = category;
    mode_ = mode;
    return std::nullopt;
}

std::optional<MediaError> AudioSession::setActive(bool active) {
    if (refusal_) return refusal_;
    active_ = active;
    if (active) ++activations_;
    return std::nullopt;
}

}  // namespace tq
