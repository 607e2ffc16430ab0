// Holds TextInFile and TextOutFile against the byte-at-a-time model of the
// text-mode rules, with arbitrary bytes, buffer sizes, call patterns and code
// paths (textscan.h).
#include "check.h"
#include "support/files.h"
#include "support/textstreams.h"
#include "support/textmodel.h"

#include "textfile.h"
#include "textscan.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// Decides, call by call, how a stream is driven; cheap and reproducible.
class Pattern {
public:
    explicit Pattern(std::uint64_t key) : state_(key | 1) {}
    std::uint32_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<std::uint32_t>(state_);
    }

private:
    std::uint64_t state_;
};

const tavtest::TempDir& scratch() {
    static const tavtest::TempDir folder;
    return folder;
}

void check_reading(const std::string& disk, std::size_t buffer_size, bool create_missing, bool ctrl_z_ends,
                   Pattern pattern) {
    const std::string path = scratch() / "in.txt";
    tavtest::write_file(path, disk);
    tav::TextInFile in(buffer_size);
    in.set_ctrl_z_ends_input(ctrl_z_ends);
    FUZZ_CHECK(create_missing ? in.open(path) : in.open_existing(path));

    std::string got;
    for (;;) {
        if (pattern.next() % 2 == 0) {
            char ch = '?';
            if (in.get(ch).fail()) {
                FUZZ_CHECK(ch == '?');
                break;
            }
            got += ch;
        } else {
            const std::string_view block = tavtest::read_block(in);
            if (block.empty()) break;
            FUZZ_CHECK(!in.fail());
            got += block;
        }
    }
    FUZZ_CHECK(got == tavtest::text_from_disk(disk, ctrl_z_ends));
    FUZZ_CHECK(tavtest::at_eof(in) && in.fail() && !in.bad() && !in.read_error());
    // Nothing more comes out of an ended stream, by either call.
    char ch = '?';
    FUZZ_CHECK(in.get(ch).fail() && ch == '?');
    FUZZ_CHECK(tavtest::read_block(in).empty() && in.fail());
    FUZZ_CHECK(in.close() && in.good());
}

void check_writing(const std::string& text, const std::string& old_content, std::size_t buffer_size,
                   tav::WriteMode mode, Pattern pattern) {
    const std::string path = scratch() / "out.txt";
    tavtest::write_file(path, old_content);
    {
        tav::TextOutFile out(buffer_size);
        FUZZ_CHECK(out.open(path, mode));
        std::size_t done = 0;
        while (done < text.size()) {
            const std::uint32_t step = pattern.next();
            const std::size_t n = std::min<std::size_t>(text.size() - done, 1 + (step >> 8) % 700);
            if (step % 2 == 0) {
                for (std::size_t i = 0; i < n; ++i) tavtest::put(out, text[done + i]);
            } else {
                out.write(std::string_view(text).substr(done, n));
            }
            FUZZ_CHECK(out.good());
            done += n;
        }
        FUZZ_CHECK(out.close() && out.good());
    }
    const std::string expected = (mode == tav::WriteMode::AtEnd ? old_content : "") + tavtest::disk_from_text(text);
    FUZZ_CHECK(tavtest::read_file(path) == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    // 0 and 1 ask for the smallest buffers the streams allow.
    const auto in_buffer = input.ConsumeIntegralInRange<std::size_t>(0, 1100);
    const auto out_buffer = input.ConsumeIntegralInRange<std::size_t>(0, 1100);
    const bool create_missing = input.ConsumeBool();
    const bool ctrl_z_ends = input.ConsumeIntegral<std::uint8_t>() % 4 != 0;
    const auto mode = input.ConsumeBool() ? tav::WriteMode::AtEnd : tav::WriteMode::Truncate;
    const Pattern pattern(input.ConsumeIntegral<std::uint64_t>());
    static const std::vector<tav::textscan::Path> paths = tav::textscan::available_paths();
    FUZZ_CHECK(tav::textscan::use_path(paths[input.ConsumeIntegral<std::uint8_t>() % paths.size()]));
    const std::string old_content = input.ConsumeRandomLengthString(16);
    const std::string bytes = input.ConsumeRemainingBytesAsString();

    check_reading(bytes, in_buffer, create_missing, ctrl_z_ends, pattern);
    check_writing(bytes, old_content, out_buffer, mode, pattern);
    return 0;
}
