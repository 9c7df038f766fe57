#include "SampleMedia.h"

#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

namespace tq::samples {
namespace {

// Runs a program with its arguments (no shell), its standard output and error discarded.
bool run(const std::vector<std::string>& arguments) {
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        std::vector<char*> argv;
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::uint32_t readBig32(const std::string& bytes, std::size_t at) {
    return (std::uint32_t(std::uint8_t(bytes[at])) << 24) | (std::uint32_t(std::uint8_t(bytes[at + 1])) << 16) |
           (std::uint32_t(std::uint8_t(bytes[at + 2])) << 8) | std::uint32_t(std::uint8_t(bytes[at + 3]));
}

// Clears the creation and modification times of the movie, track and media headers, walking the
// boxes of the file rather than searching its bytes.
void clearMp4Times(std::string& bytes, std::size_t begin, std::size_t end) {
    for (std::size_t at = begin; at + 8 <= end;) {
        std::size_t size = readBig32(bytes, at);
        std::string type = bytes.substr(at + 4, 4);
        if (size < 8 || at + size > end) return;
        if (type == "moov" || type == "trak" || type == "mdia") clearMp4Times(bytes, at + 8, at + size);
        if ((type == "mvhd" || type == "tkhd" || type == "mdhd") && size >= 28) {
            std::size_t timeBytes = bytes[at + 8] == 1 ? 16 : 8;  // version 1 has 64-bit times
            for (std::size_t k = 0; k < timeBytes; ++k) bytes[at + 12 + k] = 0;
        }
        at += size;
    }
}

}  // namespace

double writeNarration(const std::filesystem::path& mp3, const std::string& language, const std::string& text,
                      const std::filesystem::path& scratch, std::string& error) {
    std::filesystem::create_directories(mp3.parent_path());
    auto wav = scratch / (mp3.stem().string() + ".wav");
    if (!run({"espeak-ng", "-v", language, "-s", "150", "-w", wav.string(), text})) {
        error = "espeak-ng could not speak " + mp3.filename().string();
        return -1;
    }
    SF_INFO inInfo{};
    SNDFILE* in = sf_open(wav.c_str(), SFM_READ, &inInfo);
    if (!in) {
        error = "cannot read the recording " + wav.string();
        return -1;
    }
    std::vector<short> samples(static_cast<std::size_t>(inInfo.frames * inInfo.channels));
    sf_readf_short(in, samples.data(), inInfo.frames);
    sf_close(in);
    std::filesystem::remove(wav);

    SF_INFO outInfo{};
    outInfo.samplerate = inInfo.samplerate;
    outInfo.channels = inInfo.channels;
    outInfo.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
    SNDFILE* out = sf_open(mp3.c_str(), SFM_WRITE, &outInfo);
    if (!out) {
        error = "cannot encode " + mp3.string() + ": " + sf_strerror(nullptr);
        return -1;
    }
    sf_writef_short(out, samples.data(), inInfo.frames);
    sf_close(out);
    return double(inInfo.frames) / inInfo.samplerate;
}

// H.264 as phones play it. (The MPEG-4 encoder of GStreamer's libav wrapper loses every frame's
// time, which gives a clip that ends as soon as it starts.)
bool writeVideo(const std::filesystem::path& mp4, const std::string& title, Colour colour, std::string& error) {
    constexpr int kWidth = 480, kHeight = 270, kFrames = 45, kRate = 15;
    std::filesystem::create_directories(mp4.parent_path());
    std::string command = "gst-launch-1.0 -q fdsrc fd=0 ! rawvideoparse width=" + std::to_string(kWidth) +
                          " height=" + std::to_string(kHeight) + " format=rgb framerate=" + std::to_string(kRate) +
                          "/1 ! videoconvert ! openh264enc bitrate=600000 ! h264parse ! mp4mux ! filesink location=" +
                          shellQuoted(mp4.string()) + " >/dev/null 2>&1";
    FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) {
        error = "cannot start gst-launch-1.0";
        return false;
    }
    Canvas background(kWidth, kHeight, colour);
    background.verticalGradient(colour.mixed({255, 255, 255}, 0.25), colour.mixed({0, 0, 0}, 0.35));
    background.paragraph(24, 24, title, 3, kWidth - 48, {255, 255, 255});
    bool written = true;
    for (int frame = 0; frame < kFrames && written; ++frame) {
        Canvas picture = background;
        double t = double(frame) / (kFrames - 1);
        picture.fillCircle(40 + t * (kWidth - 80), kHeight - 70 - std::sin(t * M_PI) * 60, 22, {255, 236, 170});
        picture.fillRect(0, kHeight - 8, kWidth * t, 8, {255, 255, 255});
        const auto& pixels = picture.pixels();
        written = std::fwrite(pixels.data(), 1, pixels.size(), pipe) == pixels.size();
    }
    if (pclose(pipe) != 0 || !written) {
        error = "GStreamer could not encode " + mp4.string();
        return false;
    }
    std::ifstream in(mp4, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), {});
    in.close();
    clearMp4Times(bytes, 0, bytes.size());
    std::ofstream(mp4, std::ios::binary | std::ios::trunc).write(bytes.data(), std::streamsize(bytes.size()));
    return true;
}

}  // namespace tq::samples
