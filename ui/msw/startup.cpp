#include "startup.h"
#include "sockets.h"

#include "messagebox.h"
#include "resource.h"
#include "text.h"

#include <wx/app.h>
#include <wx/msw/wrapwin.h>

#include <winsock.h>

bool sockets_ready() {
    WSADATA data;
    if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return false;
    if (data.wVersion != MAKEWORD(1, 1)) {
        ::WSACleanup();
        return false;
    }
    // Never released: the end of the process does that.
    return true;
}

bool prepare_platform() { return prepare_platform(sockets_ready); }

bool prepare_platform(const std::function<bool()>& sockets_check) {
    // Opening a path on a drive without a medium simply fails, and the
    // program's own message follows, instead of the system asking for a disk.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    if (!sockets_check()) {
        CMessageBox box(nullptr, tavui::string_resource(res::IDS_SOCKETS_INIT_FAILED), wxTheApp->GetAppName(),
                        wxOK | wxICON_EXCLAMATION);
        box.ShowModal();
        return false;
    }
    return true;
}
