#pragma once

#include <filesystem>
#include <string>

#include "Canvas.h"

namespace tq::samples {

// Speaks `text` with espeak-ng in `language` ("fr", "en", "es") and writes it as an MP3 file,
// the form the tours' narration takes. Returns the length in seconds, or a negative number with
// the reason in `error`. `scratch` is a folder for the intermediate recording.
double writeNarration(const std::filesystem::path& mp3, const std::string& language, const std::string& text,
                      const std::filesystem::path& scratch, std::string& error);

// A few seconds of video (MPEG-4 in an MP4 file, encoded by GStreamer): the title over the
// colour, with a ball crossing the picture. The file's creation times are cleared, so the same
// arguments give the same bytes. False with the reason in `error`.
bool writeVideo(const std::filesystem::path& mp4, const std::string& title, Colour colour, std::string& error);

}  // namespace tq::samples
