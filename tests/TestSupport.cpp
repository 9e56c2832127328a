#include "tests/TestSupport.h"

#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QWidget>

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

bool heldOpen(const QString& path) {
    const QString wanted = QFileInfo(path).canonicalFilePath();
    if (wanted.isEmpty())
        return false;
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    const QFileInfoList links =
        descriptors.entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(links.begin(), links.end(),
                       [&](const QFileInfo& link) { return link.symLinkTarget() == wanted; });
}

QList<QWidget*> visibleWindows() {
    QList<QWidget*> shown;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

QList<QWidget*> tabOrder(QWidget* first) {
    QList<QWidget*> order;
    QWidget* w = first;
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w;
        w = w->nextInFocusChain();
    } while (w != first);
    return order;
}

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QStringLiteral("<%1 failed>").arg(program);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

QString pdfText(const QString& pdf) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
}

int pdfPages(const QString& pdf) {
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const qsizetype at = info.indexOf(QStringLiteral("Pages:"));
    return at < 0 ? 0 : info.mid(at + 6).section(u'\n', 0, 0).trimmed().toInt();
}

void GuiTest::SetUp() {
    Services& services = Shell::services();
    services.messages = [this](const QString& text) { messages << text; };
    services.exit = [this] { ++exits; };
}

void GuiTest::TearDown() {
    Shell::WindowSlotBase::discardAll();
    settle();
    Shell::fileSlot1().close();
    Shell::services() = Services();
}

Form1* GuiTest::startMain() {
    return Windows::form1().show();
}

QWidget* GuiTest::child(QWidget* window, const char* name) const {
    QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}
