// Conversions between the dialog's wx strings and the core's byte strings,
// the way the platform's file names and text files spell them, so that a name
// typed, chosen, dropped, loaded or saved opens the same file in the core.
// Each platform has its own file: gtk/text.cpp, msw/text.cpp.
#pragma once

#include <wx/string.h>

#include <string>

namespace tavui {

wxString to_wx(const std::string& bytes);
std::string to_bytes(const wxString& text);

}  // namespace tavui
