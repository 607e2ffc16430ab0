// Window, command, string and icon identifiers of the program's resources.
// These values must not change: the dialog's controls are known by them, the
// tests look controls up by them, and the About entry uses the command value
// the platform reserves for it.
#pragma once

namespace res {

// Dialogs and the icon.
inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_SPLIT_DIALOG = 102;
inline constexpr int IDR_MAINFRAME = 128;

// String table entries.
inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_SOCKETS_INIT_FAILED = 103;

// Command of the About entry (the low four bits are free for the system).
inline constexpr int IDM_ABOUTBOX = 0x0010;

// Controls. The Quit button carries the classic "OK" value 1, so Enter and
// the default-button machinery treat it as the affirmative button.
inline constexpr int IDC_QUIT = 1;
inline constexpr int IDC_SOURCE = 1000;
inline constexpr int IDC_DEST = 1001;
inline constexpr int IDC_BROWSE_SOURCE = 1002;
inline constexpr int IDC_BROWSE_DEST = 1003;
inline constexpr int IDC_HELP_PAGE = 1004;
inline constexpr int IDC_GO = 1006;
inline constexpr int IDC_LINES = 1007;
inline constexpr int IDC_KB = 1008;
inline constexpr int IDC_VERSION = 1047;

// The About box's OK button.
inline constexpr int IDC_ABOUT_OK = 1;

}  // namespace res
