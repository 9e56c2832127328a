#include "core/AppInfo.h"
#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/shell/Italian.h"
#include "qt/shell/Shell.h"
#include "qt/shell/SignalExit.h"

#include <QApplication>

namespace {

// The last guard: an error that escapes Qt's own handling of an event (memory running out
// while a key edits a huge text, say) is reported instead of ending the program.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        bool handled = false;
        Shell::guard([&] { handled = QApplication::notify(receiver, event); });
        return handled;
    }
};

} // namespace

int main(int argc, char** argv) {
    // Vemo reads no command line: Qt sees only the program's own name.
    int qtArgc = 1;
    char* qtArgv[] = {argc > 0 ? argv[0] : const_cast<char*>(AppInfo::ExeName), nullptr};
    const QtMessageHandler qtHandler = installItalianStartFailure();
    Application app(qtArgc, qtArgv);
    qInstallMessageHandler(qtHandler);
    QApplication::setApplicationName(QString::fromLatin1(AppInfo::Title));
    QApplication::setApplicationVersion(QString::fromLatin1(AppInfo::FileVersion));
    QApplication::setOrganizationName(QString::fromLatin1(AppInfo::Organization));
    QApplication::setOrganizationDomain(QString::fromLatin1(AppInfo::OrganizationDomain));
    QApplication::setDesktopFileName(QString::fromLatin1(AppInfo::DesktopFileName));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/vemo.ico")));
    installItalian();
    Windows::installFontSubstitutions();
    Shell::installKeyboardRules();
    Shell::installPlainMessages();
    // The window slots end the program when its last visible window closes: Qt's own rule
    // does not count tool windows.
    QApplication::setQuitOnLastWindowClosed(false);
    installSignalExit();

    Shell::guard([] { Windows::form1().show(); });
    const int status = QApplication::exec();

    Shell::WindowSlotBase::discardAll();
    Shell::fileSlot1().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
