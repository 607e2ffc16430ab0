#include "tav/settings.h"

#include "safesave.h"
#include "tav/messagesink.h"
#include "tav/splitsettings.h"
#include "textfile.h"
#include "whitespace.h"

#include <string_view>

namespace tav {

namespace {

// The file is a few hundred bytes; past this much, nothing is read.
constexpr std::size_t kMostRead = 64 * 1024;

// Applies one line, without its LF. Trailing white space is dropped, leading
// white space is kept; the key is everything before the first '=' and the
// value everything after it. Unknown keys are ignored.
void apply_line(std::string_view line, SplitSettings& settings) {
    while (!line.empty() && is_space(line.back())) line.remove_suffix(1);
    const std::size_t eq = line.find('=');
    const std::string_view key = line.substr(0, eq);
    const std::string_view value = eq == std::string_view::npos ? std::string_view() : line.substr(eq + 1);
    if (key == "DEST")
        settings.dest = value;
    else if (key == "SOURCE")
        settings.source = value;
    else if (key == "KB")
        settings.kb = value;
    else if (key == "LINES")
        settings.lines = value;
}

}  // namespace

void SettingsFile::load(SplitSettings& settings) const {
    TextInFile in(512);
    // save() writes values unchanged, 0x1A included; reading must not stop there.
    in.set_ctrl_z_ends_input(false);
    // Only a plain file: a FIFO or a device could keep the program waiting,
    // or give without end.
    if (in.open(path_) && in.is_regular()) {
        std::string line;
        char ch = 0;
        // Characters after the last LF are an unfinished line and are ignored.
        for (std::size_t read = 0; read < kMostRead && !in.get(ch).fail() && !in.bad(); ++read) {
            if (ch == '\n') {
                apply_line(line, settings);
                line.clear();
            } else {
                line += ch;
            }
        }
        in.close();
    }
    if (settings.kb.empty() && settings.lines.empty()) settings.kb = "1024";
}

void SettingsFile::save(const SplitSettings& settings, MessageSink& sink) const {
    const std::string text = "CREATOR=TAVENDRILLOX 1.0\nSOURCE=" + settings.source + "\nDEST=" + settings.dest +
                             "\nKB=" + settings.kb + "\nLINES=" + settings.lines + "\n\n";
    if (!save_text_file(path_, text, stop_)) sink.show("Save to File", "Error Writing File");
}

}  // namespace tav
