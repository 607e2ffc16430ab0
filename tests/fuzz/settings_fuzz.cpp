// Loads arbitrary settings files and compares the result with a plain model
// of the load rules; then saves four arbitrary values and loads them back.
#include "check.h"
#include "support/files.h"
#include "support/recordingsink.h"
#include "support/textmodel.h"

#include "tav/settings.h"
#include "tav/splitsettings.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool is_space(char c) { return std::string_view(" \t\n\v\f\r").find(c) != std::string_view::npos; }

// The load rules, line by line: complete lines only, trailing white space
// dropped, key before the first '=', value after it, known keys only.
tav::SplitSettings model_load(const std::string& disk, tav::SplitSettings s) {
    // Only the first 64 KiB are read.
    const std::string text = tavtest::text_from_disk(disk, false).substr(0, 64 * 1024);
    std::size_t start = 0;
    for (std::size_t lf = text.find('\n'); lf != std::string::npos; start = lf + 1, lf = text.find('\n', start)) {
        std::string line = text.substr(start, lf - start);
        while (!line.empty() && is_space(line.back())) line.pop_back();
        const std::size_t eq = line.find('=');
        const std::string key = line.substr(0, eq);
        const std::string value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (key == "SOURCE") s.source = value;
        if (key == "DEST") s.dest = value;
        if (key == "KB") s.kb = value;
        if (key == "LINES") s.lines = value;
    }
    if (s.kb.empty() && s.lines.empty()) s.kb = "1024";
    return s;
}

// A value the file can carry: no line break and no trailing white space.
std::string storable(std::string value) {
    std::erase(value, '\n');
    while (!value.empty() && is_space(value.back())) value.pop_back();
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    static const tavtest::TempDir scratch;
    const std::string path = scratch / "tavendrillox.ini";

    tav::SplitSettings values;
    values.source = input.ConsumeRandomLengthString(64);
    values.dest = input.ConsumeRandomLengthString(64);
    values.kb = input.ConsumeRandomLengthString(16);
    values.lines = input.ConsumeRandomLengthString(16);
    const std::string file = input.ConsumeRemainingBytesAsString();

    // Loading: whatever the file holds, the fields end up as the model says.
    tavtest::write_file(path, file);
    tav::SplitSettings loaded = values;
    tav::SettingsFile(path).load(loaded);
    FUZZ_CHECK(loaded == model_load(file, values));

    // Saving and loading back returns what was saved.
    tav::SplitSettings saved{storable(values.source), storable(values.dest), storable(values.kb),
                             storable(values.lines)};
    tavtest::RecordingSink sink;
    tav::SettingsFile(path).save(saved, sink);
    FUZZ_CHECK(sink.messages.empty());
    tav::SplitSettings back;
    tav::SettingsFile(path).load(back);
    if (saved.kb.empty() && saved.lines.empty()) saved.kb = "1024";
    FUZZ_CHECK(back == saved);
    return 0;
}
