// Conversions between the dialog's wx strings and the core's byte strings.
// Valid UTF-8 (what GTK and Linux file names use) becomes the characters it
// spells; any other byte is kept as a private-use character and turned back
// into the same byte, so paths and settings survive the round trip unchanged.
#pragma once

#include <wx/string.h>

#include <string>

namespace tavui {

wxString to_wx(const std::string& bytes);
std::string to_bytes(const wxString& text);

}  // namespace tavui
