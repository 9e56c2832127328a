#include "TestSupport.h"

#include "CommonDialog.h"
#include "Form1.h"
#include "Shell.h"
#include "Windows.h"
#include "frmAbout.h"

#include <QApplication>
#include <QWidget>

void settle() {
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}

void GuiTest::SetUp() {
    Shell::setMessageSink([this](const QString& text) { messages << text; });
    Shell::setExitHook([this] { ++exits; });
}

void GuiTest::TearDown() {
    Shell::WindowSlotBase::discardAll();
    settle();
    Shell::fileSlot1().close();
    Shell::setMessageSink({});
    Shell::setExitHook({});
    CommonDialog::setScript({});
    Form1::setPrinterProvider({});
    frmAbout::setEnvironment(SysInfoEnvironment::system());
}

Form1* GuiTest::startMain() {
    return Windows::form1().show();
}

QWidget* GuiTest::child(QWidget* window, const char* name) const {
    QWidget* w = window->findChild<QWidget*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}
