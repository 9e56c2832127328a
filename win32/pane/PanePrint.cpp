#include "win32/pane/PanePrint.h"

#include "core/Errors.h"
#include "core/PaneText.h"
#include "core/Texts.h"
#include "win32/Wide.h"

#include <algorithm>
#include <optional>

namespace {

// 2 cm in twips.
constexpr int kMargin = 1134;

// Lays a displayed text out on the pages of a print job, in the pane's face, as the pane
// shows it: stand-ins for control codes, long lines wrapped at a blank where there is one.
// RichEdit's own EM_FORMATRANGE is not there to do it everywhere (Wine has none).
class PageWriter {
public:
    PageWriter(HDC printer, const std::string& printerName, const wchar_t* face, int pointSize)
        : m_printer(printer)
        , m_printerName(printerName) {
        const int dpiX = GetDeviceCaps(printer, LOGPIXELSX);
        const int dpiY = GetDeviceCaps(printer, LOGPIXELSY);
        m_font.reset(CreateFontW(-MulDiv(pointSize, dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                 FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                 DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, face));
        m_selection.emplace(printer, m_font.get());
        TEXTMETRICW metrics{};
        GetTextMetricsW(printer, &metrics);
        m_lineHeight = std::max(1, int(metrics.tmHeight + metrics.tmExternalLeading));
        // The device context's origin is the printable area's corner; the margins are
        // measured from the paper's edges.
        const int width = GetDeviceCaps(printer, HORZRES);
        const int height = GetDeviceCaps(printer, VERTRES);
        const int paperWidth = std::max(width, GetDeviceCaps(printer, PHYSICALWIDTH));
        const int paperHeight = std::max(height, GetDeviceCaps(printer, PHYSICALHEIGHT));
        const int offsetX = GetDeviceCaps(printer, PHYSICALOFFSETX);
        const int offsetY = GetDeviceCaps(printer, PHYSICALOFFSETY);
        const int marginX = MulDiv(kMargin, dpiX, 1440);
        const int marginY = MulDiv(kMargin, dpiY, 1440);
        m_left = std::max(0, marginX - offsetX);
        m_top = std::max(0, marginY - offsetY);
        m_width = std::max(1, std::min(width, paperWidth - marginX - offsetX) - m_left);
        m_linesPerPage =
            std::max(1, (std::min(height, paperHeight - marginY - offsetY) - m_top) / m_lineHeight);
    }
    PageWriter(const PageWriter&) = delete;
    PageWriter& operator=(const PageWriter&) = delete;

    void paragraph(std::u16string_view text) {
        const std::u16string expanded = withoutTabs(text);
        std::u16string_view rest = expanded;
        do {
            const std::size_t take = fitting(rest);
            line(rest.substr(0, take));
            rest.remove_prefix(take);
        } while (!rest.empty());
    }

    void finish() {
        if (m_page > 0 && EndPage(m_printer) <= 0)
            throw stopped();
    }

private:
    static constexpr std::size_t kTabWidth = 8;
    // Measured at once at the most: far more than a line of any paper holds.
    static constexpr std::size_t kMeasured = 2048;

    static std::u16string withoutTabs(std::u16string_view text) {
        std::u16string out;
        out.reserve(text.size());
        for (const char16_t c : text) {
            if (c == u'\t')
                out.append(kTabWidth - out.size() % kTabWidth, u' ');
            else
                out += c;
        }
        return out;
    }

    // How much of `rest` goes on one line. A little more than the last line held is
    // measured, more only when all of it fits, so that a long paragraph costs its length.
    std::size_t fitting(std::u16string_view rest) {
        int fit = 0;
        for (std::size_t measured = std::min({rest.size(), m_measured, kMeasured});;
             measured = std::min({rest.size(), measured * 2, kMeasured})) {
            SIZE size{};
            GetTextExtentExPointW(m_printer, reinterpret_cast<const wchar_t*>(rest.data()),
                                  int(measured), m_width, &fit, nullptr, &size);
            if (std::size_t(fit) < measured || measured == rest.size() || measured == kMeasured)
                break;
        }
        m_measured = std::max<std::size_t>(16, std::size_t(fit) + std::size_t(fit) / 4 + 1);
        std::size_t take = std::max<std::size_t>(1, std::size_t(fit));
        if (take >= rest.size())
            return rest.size();
        const std::size_t blank = rest.substr(0, take).find_last_of(u' ');
        if (blank != std::u16string_view::npos && blank > 0)
            return blank + 1;
        // Never between the halves of a surrogate pair.
        if (take > 1 && rest[take - 1] >= 0xD800 && rest[take - 1] <= 0xDBFF)
            --take;
        return take;
    }

    void line(std::u16string_view text) {
        if (m_page == 0 || m_row == m_linesPerPage) {
            if (m_page > 0 && EndPage(m_printer) <= 0)
                throw stopped();
            ++m_page;
            if (StartPage(m_printer) <= 0)
                throw stopped();
            // Some drivers reset the device context with each page.
            SelectObject(m_printer, m_font.get());
            SetBkMode(m_printer, TRANSPARENT);
            m_row = 0;
        }
        ExtTextOutW(m_printer, m_left, m_top + m_row * m_lineHeight, 0, nullptr,
                    reinterpret_cast<const wchar_t*>(text.data()), UINT(text.size()), nullptr);
        ++m_row;
    }

    PrinterError stopped() const {
        return PrinterError(
            Texts::with(Texts::kPrintStopped, m_printerName, std::to_string(m_page)));
    }

    HDC m_printer;
    const std::string& m_printerName;
    Handles::Font m_font;
    // The printer's own font comes back when the pages are written.
    std::optional<Handles::Selection> m_selection;
    int m_lineHeight = 1;
    int m_left = 0;
    int m_top = 0;
    int m_width = 1;
    int m_linesPerPage = 1;
    int m_page = 0;
    int m_row = 0;
    std::size_t m_measured = 256;
};

} // namespace

namespace PanePrint {

bool print(HDC printer, const std::string& printerName, std::u16string_view shown,
           const wchar_t* face, int pointSize, const TextFile::Progress& progress) {
    DOCINFOW info{};
    info.cbSize = sizeof info;
    info.lpszDocName = L"Vemo";
    Handles::PrintJob job(printer, info);
    if (!job.started())
        throw PrinterError(Texts::with(Texts::kPrinterRefusesJob, printerName));
    {
        PageWriter pages(printer, printerName, face, pointSize);
        for (std::size_t begin = 0;;) {
            const std::size_t end = std::min(shown.find(PaneText::kBreak, begin), shown.size());
            pages.paragraph(shown.substr(begin, end - begin));
            if (end == shown.size())
                break;
            begin = end + 1;
            // Given up, the job is cancelled as it goes.
            if (progress && !progress(std::int64_t(begin), std::int64_t(shown.size())))
                return false;
        }
        pages.finish();
    }
    if (!job.end())
        throw PrinterError(Texts::with(Texts::kPrintFailed, printerName));
    return true;
}

} // namespace PanePrint

DefaultPrinter::DefaultPrinter() {
    DWORD size = 0;
    GetDefaultPrinterW(nullptr, &size);
    std::wstring name(size, L'\0');
    if (size == 0 || !GetDefaultPrinterW(name.data(), &size))
        throw PrinterError(std::string(Texts::kNoDefaultPrinter));
    name.resize(wcslen(name.c_str()));
    m_name = Wide::toUtf8(name);
    m_dc.reset(CreateDCW(L"WINSPOOL", name.c_str(), nullptr, nullptr));
    if (!m_dc)
        throw PrinterError(Texts::with(Texts::kPrinterRefusesJob, m_name));
}
