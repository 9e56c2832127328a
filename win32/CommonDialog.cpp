#include "win32/CommonDialog.h"

#include "core/AppInfo.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "core/Texts.h"
#include "win32/Shell.h"
#include "win32/Wide.h"

#include <commdlg.h>

#include <vector>

void CommonDialog::setFilter(std::string_view filter) {
    m_filter = filterList(filter);
}

std::wstring CommonDialog::filterList(std::string_view filter) {
    std::wstring list = Wide::fromUtf8(filter);
    for (wchar_t& c : list)
        if (c == L'|')
            c = L'\0';
    list.push_back(L'\0');
    list.push_back(L'\0');
    return list;
}

void CommonDialog::ShowOpen(HWND owner, const std::wstring& startName) {
    m_fileName = show(owner, Mode::Open, startName);
}

void CommonDialog::ShowSave(HWND owner, const std::wstring& startName) {
    m_fileName = show(owner, Mode::Save, startName);
}

bool CommonDialog::mayReplace(HWND owner, const std::wstring& path) {
    // Asked nothing: a device's name is refused at once.
    if (TextFile::isDeviceName(Wide::toUtf8(path)))
        throw FileError(FileError::Action::Write, Wide::toUtf8(path), FileError::Reason::Device);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
           confirmReplace(owner, path);
}

bool CommonDialog::confirmReplace(HWND owner, const std::wstring& path) {
    if (const Services::FileChooser& chooser = Shell::services().fileChooser)
        return !chooser(Services::FileMode::Replace, m_filter, path).empty();
    const std::wstring question = Wide::fromUtf8(Texts::with(Texts::kReplace, Wide::toUtf8(path)));
    // The box's buttons in Italian whatever the system's language: renamed as it opens.
    static HHOOK hook = nullptr;
    hook = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            if (code == HCBT_ACTIVATE) {
                const auto box = reinterpret_cast<HWND>(wParam);
                SetDlgItemTextW(box, IDYES, Wide::fromUtf8(Texts::kYes).c_str());
                SetDlgItemTextW(box, IDNO, Wide::fromUtf8(Texts::kNo).c_str());
                UnhookWindowsHookEx(hook);
            }
            return CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    return MessageBoxW(owner, question.c_str(), Wide::fromUtf8(AppInfo::Title).c_str(),
                       MB_YESNO | MB_DEFBUTTON2) == IDYES;
}

std::wstring CommonDialog::show(HWND owner, Mode mode, const std::wstring& startName) {
    std::wstring chosen;
    if (const Services::FileChooser& chooser = Shell::services().fileChooser) {
        chosen = chooser(mode == Mode::Open ? Services::FileMode::Open : Services::FileMode::Save,
                         m_filter, startName);
    } else {
        std::vector<wchar_t> buffer(32768, L'\0');
        startName.copy(buffer.data(), buffer.size() - 1);
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = m_filter.c_str();
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = DWORD(buffer.size());
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                    (mode == Mode::Open ? OFN_FILEMUSTEXIST : OFN_PATHMUSTEXIST);
        const BOOL ok = mode == Mode::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
        if (ok)
            chosen = buffer.data();
    }
    return chosen;
}
