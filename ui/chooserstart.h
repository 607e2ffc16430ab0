// Where the Browse buttons' choosers open: where the field already points,
// so that a user changing a file or folder starts next to the old one.
#pragma once

#include "desktop.h"

// For SOURCE: its folder with the file selected when it names a file, the
// folder itself when it names one, the current folder otherwise.
ChooserStart file_chooser_start(const wxString& source);

// For DEST: the folder it names, or the current folder.
wxString folder_chooser_start(const wxString& dest);
