// The dialog templates' controls, and where and how a Windows dialog box
// would make them: each measure converted with the base units of the
// template's font (MapDialogRect), with the template's styles. Read from
// any process.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tavtest {

// A control: its id (-1 for none), its text (null for an edit control,
// whose text is whatever was typed), its place in dialog units and its
// styles of WS_GROUP, WS_TABSTOP and, for a static control, SS_NOPREFIX. An
// icon shows its 32-pixel image at its place, unscaled.
struct TemplateControl {
    int id;
    const char* text;
    RECT units;  // x, y, width, height
    LONG style;
    bool icon = false;
};

struct DialogTemplate {
    const char* caption;
    SIZE units;  // the client area
    std::vector<TemplateControl> controls;
};

extern const DialogTemplate kMainDialogTemplate;  // 102
extern const DialogTemplate kAboutBoxTemplate;    // 100

// The base units of MS Sans Serif 8 points at `dpi` pixels per inch: the
// average width of its letters and its height, as the system measures them.
SIZE base_units(UINT dpi);

// Every control of `dialog` missing, more than a pixel away from where its
// template puts it at `dpi`, or with other styles, one line each; empty if
// none is.
std::string template_differences(HWND dialog, const DialogTemplate& dialog_template, UINT dpi);

}  // namespace tavtest
