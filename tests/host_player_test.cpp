// The host as a player: WAV files of every format read in blocks, bad files refused with a reason,
// a file near the format's size in the memory of a short one, the playlist, pause and seek through
// forwarded keys, and the bench.
#include <gtest/gtest.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include "host/playback/wav_file.h"
#include "tests/bench.h"

namespace {

// A WAV file's bytes, with hooks for breaking it.
struct WavRecipe {
    int tag = 1, channels = 2, rate = 44100, bits = 16;
    double seconds = 0.2;
    std::function<float(int channel, double t)> signal = [](int, double) { return 0.0f; };
};

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xff);
}

std::string WavBytes(const WavRecipe& recipe) {
    std::string data;
    const int frames = int(recipe.seconds * recipe.rate);
    for (int i = 0; i < frames; ++i)
        for (int c = 0; c < recipe.channels; ++c) {
            const float v = recipe.signal(c, double(i) / recipe.rate);
            if (recipe.tag == 3) {
                uint32_t bits;
                std::memcpy(&bits, &v, 4);
                Put(data, bits, 4);
            } else if (recipe.bits == 8) {
                Put(data, uint32_t(int(std::lround(v * 127.0f)) + 128), 1);
            } else {
                const double scale = recipe.bits == 16 ? 32767.0 : 8388607.0;
                Put(data, uint32_t(int32_t(std::lround(v * scale))), recipe.bits / 8);
            }
        }
    std::string file = "RIFF";
    Put(file, uint32_t(4 + 8 + 16 + 8 + data.size()), 4);
    file += "WAVEfmt ";
    Put(file, 16, 4);
    Put(file, recipe.tag, 2);
    Put(file, recipe.channels, 2);
    Put(file, recipe.rate, 4);
    Put(file, recipe.rate * recipe.channels * recipe.bits / 8, 4);
    Put(file, recipe.channels * recipe.bits / 8, 2);
    Put(file, recipe.bits, 2);
    file += "data";
    Put(file, uint32_t(data.size()), 4);
    return file + data;
}

// A folder of its own under the temporary folder, removed with its files at the end of the test.
struct TempFolder {
    std::string path;
    std::vector<std::string> files;
    TempFolder() {
        char base[MAX_PATH];
        GetTempPathA(MAX_PATH, base);
        path = std::string(base) + "smearscope-wav-" + std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(GetTickCount());
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempFolder() {
        for (const std::string& file : files) DeleteFileA(file.c_str());
        RemoveDirectoryA(path.c_str());
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::string file = path + "\\" + name;
        std::ofstream(file, std::ios::binary) << bytes;
        files.push_back(file);
        return file;
    }
};

float Sine(double hz, double t, float amplitude = 0.5f) { return amplitude * float(std::sin(2 * M_PI * hz * t)); }

std::string WithSize(std::string bytes, size_t at, uint32_t size) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char((size >> (8 * i)) & 0xff);
    return bytes;
}

// The whole file as the player reads it, in one block.
std::string LoadWav(const std::string& path, AudioClip& clip) {
    WavFile file;
    const std::string fault = file.Open(path);
    if (fault.empty()) file.Read(0, size_t(file.Frames()), clip);
    return fault;
}

// Numbers from the bench's flat JSON object.
double JsonNumber(const std::string& json, const std::string& key) {
    size_t at = json.find("\"" + key + "\":");
    return at == std::string::npos ? -1.0 : std::strtod(json.c_str() + at + key.size() + 3, nullptr);
}

}  // namespace

TEST(WavFile, ReadsEveryFormat) {
    TempFolder folder;
    struct Case { int tag, channels, rate, bits; };
    const Case cases[] = {{1, 1, 8000, 8}, {1, 2, 22050, 8}, {1, 1, 44100, 16}, {1, 2, 48000, 16},
                          {1, 1, 96000, 24}, {1, 2, 44100, 24}, {3, 1, 32000, 32}, {3, 2, 44100, 32}};
    for (const Case& c : cases) {
        WavRecipe recipe;
        recipe.tag = c.tag, recipe.channels = c.channels, recipe.rate = c.rate, recipe.bits = c.bits;
        recipe.seconds = 0.1;
        recipe.signal = [](int channel, double t) { return channel == 0 ? Sine(440, t) : -0.25f; };
        const std::string name = std::to_string(c.tag) + "-" + std::to_string(c.channels) + "-" +
                                 std::to_string(c.rate) + "-" + std::to_string(c.bits) + ".wav";
        AudioClip clip;
        ASSERT_EQ(LoadWav(folder.Write(name, WavBytes(recipe)), clip), "") << name;
        EXPECT_EQ(clip.sampleRate, c.rate) << name;
        ASSERT_EQ(clip.Frames(), size_t(c.rate / 10)) << name;
        const size_t quarter = size_t(c.rate / 440 / 4);  // the sine's first crest
        EXPECT_NEAR(clip.left[quarter], 0.5f, 0.03f) << name;
        EXPECT_NEAR(clip.right[quarter], c.channels == 2 ? -0.25f : clip.left[quarter], 0.02f) << name;
    }
}

TEST(WavFile, BadFilesGiveAReasonAndNoCrash) {
    TempFolder folder;
    WavRecipe recipe;
    const std::string good = WavBytes(recipe);
    const size_t dataSizeAt = 40, riffSizeAt = 4;
    WavRecipe adpcm;
    adpcm.tag = 2;
    WavRecipe empty;
    empty.seconds = 0;
    const struct { const char* name; std::string bytes; const char* fault; } cases[] = {
        {"not-riff.wav", "hello, this is text and not a sound file at all", "not a RIFF WAVE file"},
        {"empty-file.wav", "", "not a RIFF WAVE file"},
        {"header-only.wav", good.substr(0, 30), "format chunk too short"},
        {"zero-samples.wav", WavBytes(empty), "no samples"},
        {"adpcm.wav", WavBytes(adpcm), "unsupported codec 2"},
        {"huge-data-size.wav", WithSize(good, dataSizeAt, 0x3fffff00u), nullptr},
        {"huge-riff-size.wav", WithSize(good, riffSizeAt, 0xfffffff0u), nullptr},
        {"oversized-data.wav", WithSize(good, dataSizeAt, 0xfffffff0u), nullptr},
    };
    for (const auto& c : cases) {
        AudioClip clip;
        const std::string fault = LoadWav(folder.Write(c.name, c.bytes), clip);
        // A header that claims more than the file holds plays what is there, never more.
        if (c.fault) EXPECT_EQ(fault, c.fault) << c.name;
        else EXPECT_EQ(clip.Frames(), size_t(recipe.seconds * recipe.rate)) << c.name << ": " << fault;
    }
    AudioClip clip;
    EXPECT_EQ(LoadWav(folder.path + "\\missing.wav", clip), "cannot open file");
    // Cut in the middle of the samples: what is there plays.
    EXPECT_EQ(LoadWav(folder.Write("truncated.wav", good.substr(0, good.size() / 2)), clip), "");
    EXPECT_GT(clip.Frames(), 0u);
    EXPECT_LT(clip.Frames(), size_t(recipe.seconds * recipe.rate));
}

TEST(HostPlayer, BadFileIsNamedInOneLineAndTheNextOnePlays) {
    TempFolder folder;
    WavRecipe recipe;
    recipe.seconds = 2;
    recipe.signal = [](int, double t) { return Sine(1000, t); };
    const std::string bad = folder.Write("broken.wav", "RIFF????WAVEjunk");
    const std::string good = folder.Write("good tone.wav", WavBytes(recipe));
    BenchRun run = RunBench({"--frames", "4", "--audio", bad, "--audio", good, "--keys", "1:T"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    int errorLines = 0;
    size_t start = 0;
    for (size_t end; (end = run.stderrText.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = run.stderrText.substr(start, end - start);
        if (line.find("smearscope-host:") == std::string::npos) continue;  // the platform's own chatter
        ++errorLines;
        EXPECT_NE(line.find("broken.wav"), std::string::npos) << line;
        EXPECT_NE(line.find("no 'fmt ' chunk"), std::string::npos) << line;
    }
    EXPECT_EQ(errorLines, 1) << run.stderrText;
    const LogLine* error = run.First("audio_error");
    ASSERT_NE(error, nullptr) << run.Describe();
    EXPECT_EQ(error->Str("path"), bad);
    const LogLine* track = run.First("track");
    ASSERT_NE(track, nullptr) << run.Describe();
    EXPECT_EQ(track->Str("title"), "good tone");
    for (const LogLine& query : run.Events("query")) {
        if (query.Int("lparam") == 104) {
            EXPECT_EQ(query.Int("answer"), 1) << query.text;
        } else if (query.Int("lparam") == 212) {
            EXPECT_EQ(query.Str("answer"), "good tone") << query.text;
        }
    }
}

// 2,000,000,000 data bytes (a sparse file: the disk holds the header) play in blocks; the peak
// working set stays near a 3-second file's.
TEST(HostPlayer, ANearlyFullSizeFilePlaysInTheMemoryOfAShortOne) {
    TempFolder folder;
    WavRecipe recipe;
    recipe.seconds = 3;
    recipe.signal = [](int, double t) { return Sine(1000, t); };
    const std::string small = folder.Write("short.wav", WavBytes(recipe));
    WavRecipe none;
    none.seconds = 0;
    const uint32_t dataBytes = 2000000000u;
    const std::string large = folder.Write("large.wav", WithSize(WithSize(WavBytes(none), 40, dataBytes), 4, 36 + dataBytes));
    HANDLE file = CreateFileA(large.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER end;
    end.QuadPart = 44 + LONGLONG(dataBytes);
    ASSERT_TRUE(SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file));
    CloseHandle(file);
    double peakMb[2];
    for (int i = 0; i < 2; ++i) {
        BenchRun run = RunBench({"--frames", "60", "--clock-step", "50", "--keys", "30:RIGHT", "--bench-json",
                                 "bench.json", "--audio", i ? large : small});
        ASSERT_TRUE(run.Finished()) << run.Describe();
        EXPECT_EQ(run.First("audio_error"), nullptr) << run.Describe();
        ASSERT_NE(run.First("track"), nullptr) << run.Describe();
        if (i) {
            EXPECT_GT(JsonNumber(run.Events("spectrum").back().text, "position"), 5.0) << "played past the seek";
        }
        std::ifstream json(run.folder + "\\bench.json");
        peakMb[i] = JsonNumber(std::string(std::istreambuf_iterator<char>(json), std::istreambuf_iterator<char>()),
                               "peak_working_set_mb");
        ASSERT_GT(peakMb[i], 1.0) << run.Describe();
    }
    std::printf("peak working set: %.1f MB with 3 s, %.1f MB with 2,000,000,000 bytes\n", peakMb[0], peakMb[1]);
    EXPECT_LT(peakMb[1], peakMb[0] + 30.0);
}

TEST(HostPlayer, StereoTonesPeakInTheirOwnBinsOnTheirOwnChannels) {
    TempFolder folder;
    WavRecipe recipe;
    recipe.seconds = 3;
    // Bin k holds k * 44100 / 1152 Hz: 1000 Hz lands in bin 26, 5000 Hz in bin 131.
    recipe.signal = [](int channel, double t) { return Sine(channel == 0 ? 1000 : 5000, t); };
    BenchRun run = RunBench({"--frames", "3", "--audio", folder.Write("tones.wav", WavBytes(recipe))});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> spectra = run.Events("spectrum");
    ASSERT_EQ(spectra.size(), 3u) << run.Describe();
    // The first frame's window still reaches back before the start; later ones are full.
    for (size_t i = 1; i < spectra.size(); ++i) {
        EXPECT_EQ(spectra[i].Int("peak_bin_left"), 26) << spectra[i].text;
        EXPECT_EQ(spectra[i].Int("peak_bin_right"), 131) << spectra[i].text;
    }
}

TEST(HostPlayer, SpacePausesAndResumesAndTheArrowsSeek) {
    BenchRun run = RunBench({"--frames", "40", "--no-pause", "--keys", "3:SPACE,20:SPACE,25:RIGHT,26:LEFT"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> pauses = run.Events("pause");
    ASSERT_EQ(pauses.size(), 2u) << run.Describe();
    EXPECT_TRUE(pauses[0].Bool("paused"));
    EXPECT_FALSE(pauses[1].Bool("paused"));
    // Between the two, is-playing answers 0, so the plug-in neither draws nor scrolls its bars.
    const int paused = run.IndexOf("pause"), resumed = run.IndexOf("pause", paused + 1);
    int answeredWhilePaused = 0;
    for (int i = paused; i < resumed; ++i)
        if (run.log[i].Event() == "query" && run.log[i].Int("lparam") == 104) {
            EXPECT_EQ(run.log[i].Int("answer"), 0) << run.log[i].text;
            ++answeredWhilePaused;
        }
    EXPECT_GT(answeredWhilePaused, 0) << run.Describe();
    for (int i = resumed; i < (int)run.log.size(); ++i) {
        if (run.log[i].Event() == "query" && run.log[i].Int("lparam") == 104) {
            EXPECT_EQ(run.log[i].Int("answer"), 1) << run.log[i].text;
        }
    }
    // The play position stood still while paused.
    EXPECT_NE(pauses[0].text.find("\"position\":"), std::string::npos);
    std::vector<LogLine> seeks = run.Events("seek");
    ASSERT_EQ(seeks.size(), 2u) << run.Describe();
    EXPECT_NE(seeks[0].text.find("\"seconds\":5,"), std::string::npos) << seeks[0].text;
    EXPECT_NE(seeks[1].text.find("\"seconds\":-5,"), std::string::npos) << seeks[1].text;
    const double forward = JsonNumber(seeks[0].text, "position"), back = JsonNumber(seeks[1].text, "position");
    EXPECT_GE(forward, 5.0) << seeks[0].text;
    EXPECT_NEAR(back, forward - 5.0, 1.0) << seeks[1].text;
}

TEST(HostPlayer, TitleFollowsThePlaylist) {
    TempFolder folder;
    WavRecipe recipe;
    recipe.seconds = 0.1;
    recipe.signal = [](int, double t) { return Sine(300, t); };
    const std::string first = folder.Write("first song.wav", WavBytes(recipe));
    const std::string second = folder.Write("second.wav", WavBytes(recipe));
    // The play position follows the stepped clock: on a busy machine the real one can pass the whole
    // first song before the first title query.
    BenchRun run = RunBench(
        {"--frames", "100", "--clock-step", "20", "--audio", first, "--audio", second, "--keys", "1:T"});
    ASSERT_TRUE(run.Finished()) << run.Describe();
    std::vector<LogLine> tracks = run.Events("track");
    ASSERT_EQ(tracks.size(), 2u) << run.Describe();
    EXPECT_EQ(tracks[1].Int("index"), 1);
    std::vector<std::string> titles;
    for (const LogLine& query : run.Events("query")) {
        if (query.Int("lparam") != 212) continue;
        if (titles.empty() || titles.back() != query.Str("answer")) titles.push_back(query.Str("answer"));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"first song", "second"}));
    // Once the playlist has ended the host is no longer playing.
    int lastIsPlaying = -1;
    for (int i = 0; i < (int)run.log.size(); ++i)
        if (run.log[i].Event() == "query" && run.log[i].Int("lparam") == 104) lastIsPlaying = i;
    ASSERT_GE(lastIsPlaying, 0);
    EXPECT_EQ(run.log[lastIsPlaying].Int("answer"), 0) << run.log[lastIsPlaying].text;
}

TEST(HostPlayer, BenchFiguresAddUp) {
    for (bool pause : {true, false}) {
        std::vector<std::string> args = {"--frames", "12", "--bench-json", "bench.json", "--spectrum", "const:129"};
        if (!pause) args.push_back("--no-pause");
        BenchRun run = RunBench(args);
        ASSERT_TRUE(run.Finished()) << run.Describe();
        std::ifstream file(run.folder + "\\bench.json");
        const std::string json((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(json.empty()) << run.Describe();
        EXPECT_EQ(JsonNumber(json, "frames"), 12);
        const double render = JsonNumber(json, "render_ms_total"), slept = JsonNumber(json, "pause_ms_total"),
                     work = JsonNumber(json, "work_ms_total");
        EXPECT_NEAR(slept + work, render, 0.01) << json;
        EXPECT_NEAR(JsonNumber(json, "fps"), 12 / JsonNumber(json, "seconds"), 0.01) << json;
        // Bin 2 at 129 asks for 6 ms a frame with beat-changes-speed on.
        EXPECT_EQ(JsonNumber(json, "designed_pause_ms_median"), 6) << json;
        if (pause) EXPECT_GE(JsonNumber(json, "pause_ms_median"), 5.0) << json;
        else EXPECT_LT(JsonNumber(json, "pause_ms_max"), 1.0) << json;
        EXPECT_GT(JsonNumber(json, "render_ms_max"), JsonNumber(json, "work_ms_median")) << json;
        // Init allocates (the trail's first picture), so the counter does see the plug-in's heap.
        EXPECT_GT(JsonNumber(json, "allocations_init"), 0) << json;
        EXPECT_EQ(JsonNumber(json, "allocations_after_first_frame"), 0) << json;
        EXPECT_GT(JsonNumber(json, "peak_working_set_mb"), 1.0) << json;
    }
}
