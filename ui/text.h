// Conversions between the dialog's wx strings and the core's byte strings,
// the way the platform's file names and text files spell them, so that a name
// typed, chosen, dropped, loaded or saved opens the same file in the core.
// Each platform has its own file: unix/text.cpp, msw/text.cpp.
#pragma once

#include "stringtable.h"

#include <wx/string.h>

#include <string>

namespace tavui {

wxString to_wx(const std::string& bytes);
std::string to_bytes(const wxString& text);

// String-table entry `id` as the dialogs show it; empty if there is none.
inline wxString string_resource(int id) { return to_wx(std::string(res::load_string(id))); }

}  // namespace tavui
