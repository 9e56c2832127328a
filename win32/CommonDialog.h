#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// The main window's file chooser: the Windows file dialogs, or the stand-in of the
// services. It keeps its filter and the name chosen last from one use to the next.
class CommonDialog {
public:
    // `filter` is a description and a pattern separated by "|", blanks kept.
    void setFilter(std::string_view filter);
    void ShowOpen(HWND owner);
    // Proposes `proposedName` in the folder chosen last; asks before an existing file is
    // replaced (No is the default), and shows the dialog again on No.
    void ShowSave(HWND owner, const std::wstring& proposedName);
    // The full path chosen, empty after a cancel.
    const std::wstring& FileName() const { return m_fileName; }

    // "description|pattern|..." as the dialogs take it: NUL after each, NUL at the end.
    static std::wstring filterList(std::string_view filter);

private:
    enum class Mode { Open, Save };
    std::wstring show(HWND owner, Mode mode, const std::wstring& startName);
    bool confirmReplace(HWND owner, const std::wstring& path);

    std::wstring m_filter;
    std::wstring m_fileName;
    std::wstring m_lastChosen;
};
