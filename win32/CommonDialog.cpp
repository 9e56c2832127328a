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

void CommonDialog::ShowOpen(HWND owner) {
    m_fileName = show(owner, Mode::Open, m_lastChosen);
}

void CommonDialog::ShowSave(HWND owner, const std::wstring& proposedName) {
    std::wstring start = proposedName;
    if (const auto slash = m_lastChosen.find_last_of(L"\\/");
        slash != std::wstring::npos && start.find_first_of(L"\\/:") == std::wstring::npos)
        start = m_lastChosen.substr(0, slash + 1) + start;
    std::wstring name;
    for (;;) {
        name = show(owner, Mode::Save, start);
        // Asked nothing: a device's name is refused at once.
        if (!name.empty() && TextFile::isDeviceName(Wide::toUtf8(name))) {
            m_fileName.clear();
            throw FileError(FileError::Action::Write, Wide::toUtf8(name),
                            FileError::Reason::Device);
        }
        const DWORD attributes =
            name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(name.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            confirmReplace(owner, name))
            break;
        start = name;
    }
    m_fileName = name;
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
        // A name saved without an extension gets the filter's, so that the load commands,
        // which list *.txt only, find the file again.
        ofn.lpstrDefExt = mode == Mode::Save ? L"txt" : nullptr;
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR |
                    (mode == Mode::Open ? OFN_FILEMUSTEXIST : OFN_PATHMUSTEXIST);
        const BOOL ok = mode == Mode::Open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn);
        if (ok)
            chosen = buffer.data();
    }
    if (!chosen.empty())
        m_lastChosen = chosen;
    return chosen;
}
