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
    // Each starts from `startName`.
    void ShowOpen(HWND owner, const std::wstring& startName);
    void ShowSave(HWND owner, const std::wstring& startName);
    // Whether `path` may be saved over: nothing is there, or the user says so (No is the
    // default). Throws FileError for a device's name, before anything is asked.
    bool mayReplace(HWND owner, const std::wstring& path);
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
};
