// Where the local help page is: an HTML page named after the executable,
// next to it (a build folder) or in the program's installed data folder.
#pragma once

#include <wx/string.h>

#include <optional>

// exe_path: the running executable; data_dir: its installed data folder.
// The first page found, or nothing if neither place has one.
std::optional<wxString> find_local_help(const wxString& exe_path, const wxString& data_dir);

// The same for the running program.
std::optional<wxString> local_help_page();
