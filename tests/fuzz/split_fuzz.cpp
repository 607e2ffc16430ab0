// Runs whole splits on arbitrary sources and arbitrary LINES/KB texts and
// checks what must hold for every run: the pieces put together are the
// translated source up to its first 0x1A, every piece but the last is full,
// numbering runs from 1 without gaps, and the messages come in the right order.
// A byte of the input picks the code path (textscan.h) the run takes; each
// input runs read in the run and read ahead, which must give the same.
#include "check.h"
#include "piecewriter.h"
#include "support/feeds.h"
#include "support/files.h"
#include "support/recordingsink.h"
#include "support/textmodel.h"

#include "tav/split.h"
#include "tav/splitsettings.h"
#include "textscan.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <filesystem>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

using tavtest::Message;

std::string piece_name(const std::string& dest, int n) { return tav::piece_path(dest, n); }

// One run of `settings`, read as `feed`, with the source and an empty
// destination in `scratch`, and what must hold for it.
void check_run(const tav::SplitSettings& settings, tav::SplitRun::Reading feed, std::size_t buffer_size,
               const std::string& source_bytes, const tavtest::TempDir& scratch, bool missing_source) {
    const std::string dest = scratch / "out dir";
    const std::string source_path = scratch / "source.txt";
    std::filesystem::remove_all(dest);
    std::filesystem::create_directory(dest);
    tavtest::RecordingSink sink;
    tav::SplitRun(buffer_size).reading(feed).run(settings, sink);
    const auto& got = sink.messages;
    FUZZ_CHECK(tavtest::read_file(source_path) == source_bytes);
    FUZZ_CHECK(!tavtest::exists(scratch / "missing.txt"));

    if (const std::string error = tavtest::validation_model(settings); !error.empty()) {
        FUZZ_CHECK((got == std::vector<Message>{{error, "Error"}}));
        FUZZ_CHECK(!tavtest::exists(piece_name(dest, 1)));
        return;
    }
    const std::int64_t line_limit = settings.lines.empty() ? 0 : tavtest::decimal_model(settings.lines);
    const std::int64_t byte_limit =
        settings.kb.empty() ? 0 : static_cast<std::int32_t>(static_cast<std::uint32_t>(tavtest::decimal_model(settings.kb)) << 10);
    FUZZ_CHECK(!got.empty());
    FUZZ_CHECK((got[0] == Message{std::to_string(byte_limit) + " " + std::to_string(line_limit), "Get out"}));
    if (missing_source) {
        FUZZ_CHECK((got.size() == 2 && got[1] == Message{"Could not open source file", "Error"}));
        FUZZ_CHECK(!tavtest::exists(piece_name(dest, 1)));
        return;
    }

    // Every piece announced, in order from 1, and nothing else said.
    std::vector<std::string> pieces, disks;
    for (int n = 1; tavtest::exists(piece_name(dest, n)); ++n) {
        const std::string disk = tavtest::read_file(piece_name(dest, n)).value();
        disks.push_back(disk);
        const std::string text = tavtest::text_from_disk(disk);
        FUZZ_CHECK(tavtest::disk_from_text(text) == disk);
        pieces.push_back(text);
    }
    FUZZ_CHECK(!pieces.empty());
    FUZZ_CHECK(got.size() == pieces.size() + 1);
    for (std::size_t i = 0; i < pieces.size(); ++i)
        FUZZ_CHECK((got[i + 1] == Message{piece_name(dest, static_cast<int>(i + 1)), "Outfile"}));

    std::string joined;
    for (const auto& p : pieces) joined += p;
    FUZZ_CHECK(joined == tavtest::text_from_disk(source_bytes));
    // And exactly what the one-character-at-a-time model says, bytes and messages.
    const tavtest::SplitOutcome model = tavtest::split_model(settings, source_bytes);
    FUZZ_CHECK(got == model.messages);
    FUZZ_CHECK(disks == model.pieces);

    // A full piece: exactly the limit, its last character completing it.
    const auto full = [&](const std::string& p) {
        if (line_limit > 0)
            return std::count(p.begin(), p.end(), '\n') == line_limit && p.back() == '\n';
        return static_cast<std::int64_t>(p.size()) == byte_limit;
    };
    const auto under = [&](const std::string& p) {
        if (line_limit > 0) return std::count(p.begin(), p.end(), '\n') < line_limit;
        return static_cast<std::int64_t>(p.size()) < byte_limit;
    };
    if (line_limit <= 0 && byte_limit <= 0) {
        FUZZ_CHECK(pieces.size() == 1);
    } else {
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i) FUZZ_CHECK(full(pieces[i]));
        FUZZ_CHECK(under(pieces.back()));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto choices = input.ConsumeIntegral<std::uint8_t>();
    const auto path_choice = input.ConsumeIntegral<std::uint8_t>();
    const auto buffer_size = input.ConsumeIntegralInRange<std::size_t>(0, 1100);
    std::string lines = input.ConsumeRandomLengthString(12);
    std::string kb = input.ConsumeRandomLengthString(12);
    const std::string source_bytes = input.ConsumeRemainingBytesAsString();

    static const tavtest::TempDir scratch;
    const std::string source_path = scratch / "source.txt";
    const std::string dest = scratch / "out dir";
    tavtest::write_file(source_path, source_bytes);

    // Mostly exactly one limit; sometimes both, neither, or an empty or missing path.
    tav::SplitSettings settings{source_path, dest, kb, lines};
    switch (choices % 8) {
        case 0: settings.lines.clear(); break;
        case 1: settings.kb.clear(); break;
        case 2: break;
        default: (choices & 0x80 ? settings.lines : settings.kb).clear(); break;
    }
    const bool missing_source = (choices & 0x70) == 0x70;
    if (missing_source) settings.source = scratch / "missing.txt";
    if ((choices & 0x78) == 0x08) settings.source.clear();
    if ((choices & 0x78) == 0x10) settings.dest.clear();

    static const std::vector<tav::textscan::Path> paths = tav::textscan::available_paths();
    FUZZ_CHECK(tav::textscan::use_path(paths[path_choice % paths.size()]));
    for (const auto feed : tavtest::kFeeds)
        check_run(settings, feed, buffer_size, source_bytes, scratch, missing_source);
    return 0;
}
