// The font the program's dialogs are laid out in. Dialog units follow it, so
// it must be set on a dialog before its controls are placed.
#pragma once

class wxFont;

// "MS Sans Serif" 8 point where the system has it, otherwise the system's
// default dialog font.
wxFont dialog_font();
