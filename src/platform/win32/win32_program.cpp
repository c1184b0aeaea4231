#include "win32_program.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "win32_services.h"

namespace kestrova {

int RunWin32Program(const std::function<void(Services&)>& start) {
    // The folder browser and the shell's icons want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);
    int code = 0;
    {
        Win32Services services;
        start(services);
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) services.Dispatch(message);
        code = static_cast<int>(message.wParam);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return code;
}

}  // namespace kestrova
