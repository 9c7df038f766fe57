#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace tq::test {

enum class AudioFixtureFormat { wav, ogg, mp3 };

// A whole audio file of a tone, `seconds` long, encoded by the same library the player decodes
// with. Nothing when this build of the library cannot write the format.
std::optional<std::string> makeAudioFile(AudioFixtureFormat format, double seconds, const std::filesystem::path& scratch,
                                         int sampleRate = 8000, int channels = 1);

}  // namespace tq::test
