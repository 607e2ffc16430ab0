// The core opens files with the Windows "A" calls and keeps the settings file
// in the same bytes, so both speak the system's ANSI code page, not UTF-8.
// A character that code page lacks becomes its default character ("?"), as
// the "A" calls would make of it too.
#include "text.h"

#include <wx/msw/wrapwin.h>

#include <climits>
#include <new>

namespace tavui {

namespace {

// The system converts at most INT_MAX units at once; text that long could not
// have been typed or loaded, and is treated like the memory it would need.
int checked_length(std::size_t size) {
    if (size > static_cast<std::size_t>(INT_MAX)) throw std::bad_alloc();
    return static_cast<int>(size);
}

}  // namespace

wxString to_wx(const std::string& bytes) {
    if (bytes.empty()) return {};
    const int size = checked_length(bytes.size());
    const int wide_size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wide_size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), wide_size);
    return wxString(wide);
}

std::string to_bytes(const wxString& text) {
    const std::wstring wide = text.ToStdWstring();
    if (wide.empty()) return {};
    const int size = checked_length(wide.size());
    const int byte_size = ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(byte_size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide.data(), size, bytes.data(), byte_size, nullptr, nullptr);
    return bytes;
}

}  // namespace tavui
