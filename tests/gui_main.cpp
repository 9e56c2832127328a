#include "qt/Windows.h"
#include "qt/shell/Italian.h"
#include "qt/shell/Shell.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The file dialogs keep their history in the user's settings and Qt makes a runtime
    // folder: both go into a home of the test's own, removed when it ends.
    const QTemporaryDir home;
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"})
        qputenv(name, QFile::encodeName(home.path()));
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vemo"));
    installItalian();
    Windows::installFontSubstitutions();
    Shell::installKeyboardRules();
    Shell::installPlainMessages();
    QApplication::setQuitOnLastWindowClosed(false);
    return RUN_ALL_TESTS();
}
