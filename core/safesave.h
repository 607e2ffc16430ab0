// Rewrites a whole text file so that a failure at any point leaves the old
// file whole: the new text goes to a new file beside it, reaches the disk,
// and only then takes the old file's place in one rename.
#pragma once

#include <string>
#include <string_view>

namespace tav {

class StopRequest;

// Makes `text` (written through the text-mode rules, so each LF becomes
// CR LF) the whole content of the file at `path`, creating it if need be.
// A symbolic link keeps pointing where it did: the file it ends at is
// replaced (links in shared folders only as RawFile follows them). A file
// that is not a plain file, or has several names, is rewritten in place, as
// is a file whose folder refuses new files; the new text's room is set aside
// first. False if the text could not be saved; the old text is then whole.
// Writing in place to a FIFO that waits for its reader gives up at `stop`.
bool save_text_file(const std::string& path, std::string_view text, const StopRequest* stop = nullptr);

}  // namespace tav
