#include "AudioFixtures.h"

#include <sndfile.h>

#include <cmath>
#include <vector>

#include "platform/foundation/FileSystem.h"

namespace tq::test {

std::optional<std::string> makeAudioFile(AudioFixtureFormat format, double seconds, const std::filesystem::path& scratch,
                                         int sampleRate, int channels) {
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    const char* extension = "wav";
    switch (format) {
        case AudioFixtureFormat::wav:
            info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
            break;
        case AudioFixtureFormat::ogg:
            info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            extension = "ogg";
            break;
        case AudioFixtureFormat::mp3:
#ifdef SF_FORMAT_MPEG
            info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
            extension = "mp3";
            break;
#else
            return std::nullopt;
#endif
    }
    if (!sf_format_check(&info)) return std::nullopt;
    auto path = scratch / (std::string("tone.") + extension);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return std::nullopt;
    auto frames = static_cast<sf_count_t>(std::llround(seconds * sampleRate));
    std::vector<float> samples(static_cast<std::size_t>(frames * channels));
    for (sf_count_t i = 0; i < frames; ++i) {
        for (int c = 0; c < channels; ++c) {
            samples[static_cast<std::size_t>(i * channels + c)] =
                0.5f * static_cast<float>(std::sin(2 * M_PI * 440.0 * static_cast<double>(i) / sampleRate));
        }
    }
    sf_writef_float(file, samples.data(), frames);
    sf_close(file);
    return readFile(path);
}

}  // namespace tq::test
