#include "Windows.h"

#include "Form1.h"
#include "Form2.h"
#include "frmAbout.h"

#include <QFont>

namespace Windows {

Shell::WindowSlot<Form1>& form1() {
    static Shell::WindowSlot<Form1> slot;
    return slot;
}

Shell::WindowSlot<Form2>& form2() {
    static Shell::WindowSlot<Form2> slot;
    return slot;
}

Shell::WindowSlot<frmAbout>& about() {
    static Shell::WindowSlot<frmAbout> slot;
    return slot;
}

void installFontSubstitutions() {
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                QStringLiteral("FreeSans")});
}

} // namespace Windows
