#include "qt/Windows.h"

#include "qt/Form1.h"
#include "qt/Form2.h"
#include "qt/frmAbout.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
#include <QAction>
#include <QFont>
#include <QLabel>
#include <QMenu>

namespace Windows {

namespace {

const char* const kLineProperty = "vemoDesignLine";

// What screen readers make of the windows' parts that Qt gives no role of their own: the
// help window is a window with its caption, not a nameless part of something else, and
// the lines are separators.
QAccessibleInterface* accessibleRole(const QString& className, QObject* object) {
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (className == QLatin1String("Form2"))
        return new QAccessibleWidget(widget, QAccessible::Window);
    if (className == QLatin1String("QFrame") && widget->property(kLineProperty).toBool())
        return new QAccessibleWidget(widget, QAccessible::Separator);
    return nullptr;
}

} // namespace

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

QRect pixels(const Design::Rect& twips) {
    return QRect(Design::pixels(twips.left), Design::pixels(twips.top), Design::pixels(twips.width),
                 Design::pixels(twips.height));
}

void applyDesign(QWidget* window, QWidget* clientArea, const Design::Window& design) {
    static const bool rolesInstalled = (QAccessible::installFactory(accessibleRole), true);
    (void)rolesInstalled;
    if (!design.caption.empty())
        window->setWindowTitle(Shell::text(design.caption));
    for (const Design::Control& control : design.controls) {
        auto* widget = clientArea->findChild<QWidget*>(Shell::text(control.name));
        Q_ASSERT(widget);
        widget->setGeometry(pixels(control.rect));
        if (control.caption.empty())
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            label->setText(Shell::text(control.caption));
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            button->setText(Shell::text(control.caption));
    }
    for (const Design::Line& line : design.lines) {
        auto* widget = clientArea->findChild<QWidget*>(Shell::text(line.name));
        Q_ASSERT(widget);
        widget->setGeometry(Design::pixels(line.x1), Design::pixels(line.y1),
                            Design::pixels(line.x2 - line.x1), line.width);
        QPalette palette = widget->palette();
        palette.setColor(QPalette::Window, QColor(line.red, line.green, line.blue));
        widget->setPalette(palette);
        widget->setProperty(kLineProperty, true);
    }
    for (const Design::MenuEntry& entry : design.menu) {
        const QString name = Shell::text(entry.name);
        if (auto* menu = window->findChild<QMenu*>(name))
            menu->setTitle(Shell::text(entry.caption));
        else if (auto* action = window->findChild<QAction*>(name))
            action->setText(Shell::text(entry.caption));
    }
}

QFont designFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace Windows
