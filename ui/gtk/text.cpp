// GTK and Linux file names use UTF-8. Valid UTF-8 becomes the characters it
// spells; any other byte is kept as a private-use character and turned back
// into the same byte, so paths and settings survive the round trip unchanged.
#include "text.h"

#include <wx/strconv.h>

namespace tavui {

namespace {

const wxMBConv& byte_conv() {
    static const wxMBConvUTF8 conv(wxMBConvUTF8::MAP_INVALID_UTF8_TO_PUA);
    return conv;
}

}  // namespace

wxString to_wx(const std::string& bytes) {
    return wxString(bytes.data(), byte_conv(), bytes.size());
}

std::string to_bytes(const wxString& text) {
    const wxScopedCharBuffer buffer = text.mb_str(byte_conv());
    return std::string(buffer.data(), buffer.length());
}

}  // namespace tavui
