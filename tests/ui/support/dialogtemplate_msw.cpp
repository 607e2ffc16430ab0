#include "support/dialogtemplate_msw.h"

#include <cstdlib>
#include <sstream>

namespace tavtest {

const DialogTemplate kMainDialogTemplate = {
    "Tavendrillox",
    {320, 63},
    {
        {1, "Quit", {263, 7, 50, 14}, WS_TABSTOP},
        {-1, "Source File:", {7, 10, 38, 8}, WS_GROUP},
        {-1, "Destination Folder:", {7, 24, 60, 8}, WS_GROUP},
        {1000, nullptr, {68, 7, 105, 14}, WS_TABSTOP},
        {1001, nullptr, {68, 21, 105, 14}, WS_TABSTOP},
        {1002, "Browse", {174, 7, 30, 14}, WS_TABSTOP},
        {1003, "Browse", {174, 21, 30, 14}, WS_TABSTOP},
        {1004, "Help", {213, 21, 50, 14}, WS_TABSTOP},
        {1006, "Go", {213, 7, 50, 14}, WS_TABSTOP},
        {1047, "Tavendrillox - v1.01", {7, 54, 189, 8}, WS_GROUP},
        {-1, "Lines Per File:", {8, 38, 45, 8}, WS_GROUP},
        {-1, "Or KB Per File:", {114, 38, 47, 8}, WS_GROUP},
        {1007, nullptr, {68, 35, 40, 14}, WS_TABSTOP},
        {1008, nullptr, {164, 35, 40, 14}, WS_TABSTOP},
    },
};

const DialogTemplate kAboutBoxTemplate = {
    "About Tavendrillox",
    {235, 55},
    {
        {-1, "", {11, 17, 20, 20}, 0, true},
        {-1, "Tavendrillox Version 1.0", {40, 10, 119, 8}, WS_GROUP | SS_NOPREFIX},
        {1, "OK", {178, 7, 50, 14}, WS_GROUP | WS_TABSTOP},
    },
};

namespace {

std::string text_of(HWND window) {
    char text[256];
    return std::string(text, static_cast<size_t>(::GetWindowTextA(window, text, sizeof text)));
}

HWND find_control(HWND dialog, const TemplateControl& control) {
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        if (::GetDlgCtrlID(child) == control.id && (!control.text || text_of(child) == control.text)) return child;
    return nullptr;
}

}  // namespace

SIZE base_units(UINT dpi) {
    const HFONT font = ::CreateFontA(-::MulDiv(8, static_cast<int>(dpi), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                     DEFAULT_PITCH, "MS Sans Serif");
    const HDC dc = ::GetDC(nullptr);
    const HGDIOBJ previous = ::SelectObject(dc, font);
    SIZE letters{};
    ::GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(dc, &metrics);
    ::SelectObject(dc, previous);
    ::ReleaseDC(nullptr, dc);
    ::DeleteObject(font);
    return {(letters.cx / 26 + 1) / 2, metrics.tmHeight};
}

std::string template_differences(HWND dialog, const DialogTemplate& dialog_template, UINT dpi) {
    std::ostringstream differences;
    const SIZE base = base_units(dpi);
    const auto x = [&](LONG units) { return ::MulDiv(units, base.cx, 4); };
    const auto y = [&](LONG units) { return ::MulDiv(units, base.cy, 8); };
    const auto compare = [&](const std::string& what, RECT expected, RECT actual) {
        if (std::abs(expected.left - actual.left) > 1 || std::abs(expected.top - actual.top) > 1 ||
            std::abs(expected.right - actual.right) > 1 || std::abs(expected.bottom - actual.bottom) > 1)
            differences << what << ": " << actual.left << ", " << actual.top << ", " << actual.right - actual.left
                        << " x " << actual.bottom - actual.top << " instead of " << expected.left << ", "
                        << expected.top << ", " << expected.right - expected.left << " x "
                        << expected.bottom - expected.top << "\n";
    };
    RECT client;
    ::GetClientRect(dialog, &client);
    compare(dialog_template.caption, {0, 0, x(dialog_template.units.cx), y(dialog_template.units.cy)}, client);

    for (const TemplateControl& control : dialog_template.controls) {
        const std::string name = (control.text ? control.text : "edit") + (" " + std::to_string(control.id));
        const HWND child = find_control(dialog, control);
        if (child == nullptr) {
            differences << name << ": missing\n";
            continue;
        }
        const RECT& u = control.units;
        const SIZE size = control.icon ? SIZE{32, 32} : SIZE{x(u.right), y(u.bottom)};
        RECT actual;
        ::GetWindowRect(child, &actual);
        ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
        compare(name, {x(u.left), y(u.top), x(u.left) + size.cx, y(u.top) + size.cy}, actual);

        char kind[16];
        ::GetClassNameA(child, kind, sizeof kind);
        const LONG mask = WS_GROUP | WS_TABSTOP | (::lstrcmpiA(kind, "Static") == 0 ? SS_NOPREFIX : 0);
        const LONG style = ::GetWindowLongW(child, GWL_STYLE) & mask;
        if (style != (control.style & mask))
            differences << name << ": style " << std::hex << style << " instead of " << (control.style & mask)
                        << std::dec << "\n";
    }
    return differences.str();
}

}  // namespace tavtest
