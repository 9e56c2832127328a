#include "forms/Windows.h"

#include "forms/about/frmAbout.h"
#include "forms/help/Form2.h"
#include "forms/main/Form1.h"

#include <QFont>

namespace Windows {

Shell::WindowSlot<Form1>& form1() {
    static Shell::WindowSlot<Form1> slot;
    return slot;
}

// The help window and the about box belong to the main window.
Shell::WindowSlot<Form2>& form2() {
    static Shell::WindowSlot<Form2> slot;
    static const bool owned = (slot.belongTo(form1()), true);
    (void)owned;
    return slot;
}

Shell::WindowSlot<frmAbout>& about() {
    static Shell::WindowSlot<frmAbout> slot;
    static const bool owned = (slot.belongTo(form1()), true);
    (void)owned;
    return slot;
}

void installFontSubstitutions() {
    // FreeSans comes nearest to the widths of "MS Sans Serif" at 8 points, plain and bold;
    // Liberation Sans is a close second.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("FreeSans"),
                                QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
}

QFont designFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace Windows
