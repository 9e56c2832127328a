#include "app/Italian.h"
#include "app/Shell.h"
#include "forms/Windows.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
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
