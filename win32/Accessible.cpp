#include "win32/Accessible.h"

#include "core/Texts.h"
#include "win32/Controls.h"
#include "win32/Wide.h"

#include <initguid.h>

#include <commctrl.h>
#include <oleacc.h>

#include <string_view>

namespace Accessible {

namespace {

struct Naming {
    std::string_view control;
    std::string_view name;
    std::string_view description;
    std::string_view heading; // the label that stands right before the control
};

constexpr Naming kNamings[] = {
    {"RichTextBox1", Texts::kDocumentPaneName, Texts::kDocumentHint, "Label1"},
    {"RichTextBox2", Texts::kKeyPaneName, Texts::kKeyHint, "Label2"},
    {"Image1", Texts::kLogoName, {}, {}},
    {"picIcon", Texts::kIconName, {}, {}},
};

// The service that annotates controls, made once for the user-interface thread; null
// where the system has none.
IAccPropServices* services() {
    static IAccPropServices* made = [] {
        // The thread may have COM already, in either model: then this changes nothing.
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        IAccPropServices* service = nullptr;
        if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IAccPropServices, reinterpret_cast<void**>(&service))))
            return static_cast<IAccPropServices*>(nullptr);
        return service;
    }();
    return made;
}

constexpr MSAAPROPID kProperties[] = {PROPID_ACC_NAME, PROPID_ACC_DESCRIPTION};

// The annotations go with the control, so that a later window with its handle starts clean.
LRESULT CALLBACK clearOnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                DWORD_PTR) {
    if (message == WM_NCDESTROY) {
        if (IAccPropServices* service = services())
            service->ClearHwndProps(hwnd, DWORD(OBJID_CLIENT), CHILDID_SELF, kProperties,
                                    int(std::size(kProperties)));
        RemoveWindowSubclass(hwnd, clearOnDestroy, id);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void annotate(HWND control, const MSAAPROPID& property, std::string_view text) {
    IAccPropServices* service = services();
    if (service == nullptr || text.empty())
        return;
    std::wstring wide = Wide::fromUtf8(text);
    service->SetHwndPropStr(control, DWORD(OBJID_CLIENT), CHILDID_SELF, property, wide.data());
}

} // namespace

void nameControls(HWND window, const Design::Window& design) {
    for (const Naming& naming : kNamings) {
        const int id = Controls::id(design, naming.control);
        const HWND control = id < 0 ? nullptr : GetDlgItem(window, id);
        if (control == nullptr)
            continue;
        if (!naming.heading.empty()) {
            const HWND heading = GetDlgItem(window, Controls::id(design, naming.heading));
            const HWND before = GetWindow(control, GW_HWNDPREV);
            if (heading && before && before != heading)
                SetWindowPos(heading, before, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
        annotate(control, PROPID_ACC_NAME, naming.name);
        annotate(control, PROPID_ACC_DESCRIPTION, naming.description);
        SetWindowSubclass(control, clearOnDestroy, 0, 0);
    }
}

} // namespace Accessible
