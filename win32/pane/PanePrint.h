#pragma once

#include "core/TextFile.h"
#include "win32/Handles.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace PanePrint {

// Prints a pane's display (breaks as U+2029) page by page in `face` at `pointSize`, as the
// pane shows it, with margins of 2 cm, in a job of its own. `printerName` (UTF-8) is for
// the messages. Throws PrinterError when the printer fails; `progress` hears between lines
// how much is printed, and when it gives up the job is cancelled and false is returned.
bool print(HDC printer, const std::string& printerName, std::u16string_view shown,
           const wchar_t* face, int pointSize, const TextFile::Progress& progress);

} // namespace PanePrint

// A device context on the system's default printer, deleted with the object.
class DefaultPrinter {
public:
    // Throws PrinterError when there is no default printer or it cannot be opened.
    DefaultPrinter();

    HDC dc() const { return m_dc.get(); }
    // UTF-8, as the messages show it.
    const std::string& name() const { return m_name; }

private:
    Handles::Dc m_dc;
    std::string m_name;
};
