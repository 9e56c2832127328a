// libFuzzer target for the pane's display mapping: every byte string survives the round
// trip, and no display text, however odd, crashes the reverse mapping.

#include "Errors.h"
#include "PaneText.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace PaneText;
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    for (LineEnding ending :
         {detectLineEnding(text), LineEnding::Lf, LineEnding::CrLf, LineEnding::Cr}) {
        if (fromDisplay(toDisplay(text, ending), ending) != text)
            std::abort();
    }

    const QString display(reinterpret_cast<const QChar*>(data), qsizetype(size / 2));
    try {
        (void)fromDisplay(display, LineEnding::CrLf);
    } catch (const EncodingError&) {
    }
    const QString plain = displayToPlain(display, LineEnding::Lf);
    (void)plainToDisplay(plain, LineEnding::Cr);
    return 0;
}
