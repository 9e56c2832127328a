#include "core/AppInfo.h"
#include "core/SysInfo.h"
#include "qt/Form1.h"
#include "qt/Form2.h"
#include "qt/Windows.h"
#include "qt/frmAbout.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"
#include "qt/sysinfo/ProgramSearch.h"
#include "qt/sysinfo/SysInfoEnvironment.h"
#include "tests/TestSupport.h"
#include "tests/mock/FakeRegistry.h"
#include "tests/mock/FakeSysInfo.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace Registry;

namespace {

int metricsWidth(const QWidget* w, const QString& text) {
    return QFontMetrics(w->font()).horizontalAdvance(text);
}

class SysInfoTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        auto env = std::make_shared<SysInfoEnvironment>();
        env->registry = [this] { return std::make_unique<FakeRegistryView>(registry); };
        env->files = files;
        env->programs = programs;
        Shell::services().sysInfo = env;
        box = Windows::about().show();
    }

    FakeRegistry registry;
    std::shared_ptr<FakeFiles> files = std::make_shared<FakeFiles>();
    std::shared_ptr<FakeStarts> programs = std::make_shared<FakeStarts>();
    frmAbout* box = nullptr;
};

const QString kUnavailable = QString::fromLatin1(SysInfo::kUnavailable);

} // namespace

TEST_F(SysInfoTest, ButtonTellsWhenTheToolIsUnavailableAndLeavesTheBoxOpen) {
    const std::string tool = "C:\\Tools\\msinfo32.exe";
    for (const bool startable : {true, false}) {
        SCOPED_TRACE(startable);
        registry.setString(kLocalMachine, SysInfo::kToolKey, SysInfo::kToolValue, tool);
        programs->startable = startable ? std::set{tool} : std::set<std::string>{};
        programs->started.clear();
        messages.clear();
        box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
        EXPECT_EQ(programs->started, std::vector{tool});
        EXPECT_EQ(messages, startable ? QStringList{} : QStringList{kUnavailable});
        EXPECT_TRUE(Windows::about().isVisible()) << "the box stays open";
    }
    std::string value;
    EXPECT_TRUE(box->GetKeyValue(kLocalMachine, SysInfo::kToolKey, SysInfo::kToolValue, value));
    EXPECT_EQ(value, tool);
}

namespace {

class RealSysInfoTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        savedPath = qgetenv("PATH");
    }
    void TearDown() override {
        qputenv("PATH", savedPath);
        GuiTest::TearDown();
    }
    QByteArray savedPath;
    QTemporaryDir dir;
};

} // namespace

TEST_F(RealSysInfoTest, StartsTheToolFoundOnTheSearchPath) {
    // A stand-in tool whose folder name has a blank: the path is started as it is.
    QDir(dir.path()).mkdir(QStringLiteral("con spazio"));
    const QString folder = dir.filePath(QStringLiteral("con spazio"));
    const QString marker = folder + QStringLiteral("/started");
    QFile tool(folder + QStringLiteral("/hardinfo"));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\necho started > \"${0%/*}/started\"\n");
    tool.close();
    tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PATH", folder.toLocal8Bit());

    frmAbout* box = Windows::about().show();
    QTest::mouseClick(box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(marker); }, 10000));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(RealSysInfoTest, NoToolOnTheSearchPathShowsTheMessage) {
    for (const QByteArray& path : {dir.path().toLocal8Bit(), QByteArray()}) {
        messages.clear();
        qputenv("PATH", path);
        frmAbout* box = Windows::about().show();
        box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
        EXPECT_EQ(messages, QStringList{kUnavailable});
    }
}

TEST_F(RealSysInfoTest, RegistryNamesTheFirstToolOnTheSearchPath) {
    for (const char* name : {"gnome-system-monitor", "kinfocenter"}) {
        QFile tool(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
        tool.write("#!/bin/sh\n");
        tool.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
    }
    qputenv("PATH", dir.path().toLocal8Bit());
    ProgramSearch reg;

    HKEY key = 0;
    // Write rights are refused, as for an ordinary Windows user.
    EXPECT_EQ(
        reg.RegOpenKeyExA(kLocalMachine, SysInfo::kToolKey, 0, kKeyRead | kKeyWriteRights, key),
        kAccessDenied);
    ASSERT_EQ(reg.RegOpenKeyExA(kLocalMachine, SysInfo::kToolKey, 0, kKeyRead, key), kSuccess);
    std::string buffer(1024, '\0');
    DWORD size = 1024, type = 0;
    ASSERT_EQ(reg.RegQueryValueExA(key, SysInfo::kToolValue, 0, type, buffer, size), kSuccess);
    EXPECT_EQ(type, kString);
    const std::string expected = dir.filePath(QStringLiteral("kinfocenter")).toStdString();
    EXPECT_EQ(buffer.substr(0, size), expected + '\0');
    EXPECT_EQ(reg.RegCloseKey(key), kSuccess);
    EXPECT_NE(reg.RegOpenKeyExA(kLocalMachine, SysInfo::kFolderKey, 0, kKeyRead, key), kSuccess);
}

TEST_F(GuiTest, HelpWindowAsDesigned) {
    Form1* main = startMain();
    Form2* help = Windows::form2().show();
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Help on Line: Guida in Linea ad Vemo 1.0"));
    EXPECT_EQ(help->geometry(), QRect(1, 282, 796, 118));
    // No frame, and it belongs to the main window: above it, without a task-bar entry.
    EXPECT_EQ(help->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_TRUE(help->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(help->windowHandle()->transientParent(), main->windowHandle());
    EXPECT_EQ(help->palette().color(QPalette::Window), QColor(Qt::black));

    auto* label = help->findChild<QLabel*>(QStringLiteral("Label1"));
    const QString text = label->text();
    EXPECT_EQ(text.size(), 514);
    EXPECT_TRUE(text.startsWith(QStringLiteral("Tavrin è un programma")));
    EXPECT_TRUE(text.contains(QStringLiteral("dall'utente.") + QString(40, u' ') +
                              QStringLiteral("Si usa")));
    EXPECT_TRUE(text.contains(QStringLiteral("clikkare") + QString(36, u' ') +
                              QStringLiteral("sul pulsante")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("CHIARO IL CONCETTO?")));
    EXPECT_FALSE(text.contains(u'\n') || text.contains(u'\r'));
    EXPECT_EQ(label->geometry(), QRect(32, 8, 793, 65));
    EXPECT_TRUE(label->wordWrap());
    EXPECT_EQ(label->palette().color(QPalette::WindowText), QColor(255, 255, 0));

    const struct {
        const char* name;
        QString text;
        QRect rect;
    } buttons[] = {
        {"Command1", QStringLiteral("TORNA AL MENU'"), {120, 64, 89, 49}},
        {"Command2", QStringLiteral("ESCI DA VEMO"), {448, 64, 89, 49}},
    };
    for (const auto& b : buttons) {
        auto* button = help->findChild<QPushButton*>(QString::fromLatin1(b.name));
        EXPECT_EQ(button->text(), b.text);
        EXPECT_EQ(button->geometry(), b.rect);
        EXPECT_FALSE(button->isDefault() || button->autoDefault());
        EXPECT_EQ(button->font().family(), QStringLiteral("MS Sans Serif"));
        EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 8.25);
        EXPECT_TRUE(button->font().bold());
        // The caption is too wide for one line, and fits the button on two.
        const QRect inside = button->rect().adjusted(4, 4, -4, -4);
        const QFontMetrics metrics(button->font());
        const QRect wrapped =
            metrics.boundingRect(inside, Qt::AlignCenter | Qt::TextWordWrap, b.text);
        EXPECT_TRUE(inside.contains(wrapped)) << b.name;
        // Drawn over the label.
        EXPECT_GT(help->children().indexOf(button), help->children().indexOf(label));
    }
    auto* back = help->findChild<QPushButton*>(QStringLiteral("Command1"));
    EXPECT_EQ(help->focusWidget(), back);
    EXPECT_GT(metricsWidth(back, QStringLiteral("TORNA AL MENU'")), back->width() - 8)
        << "the caption needs its second line";

    // Neither button is the default or the cancel button.
    QTest::keyClick(help, Qt::Key_Escape);
    QTest::keyClick(help->findChild<QLabel*>(QStringLiteral("Label1")), Qt::Key_Return);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(exits, 0);
}

TEST_F(GuiTest, HelpBackButtonKeepsOrRebuildsTheMainWindow) {
    Form1* main = startMain();
    main->RichTextBox1()->setText("documento");
    main->findChild<QPushButton*>(QStringLiteral("Command1"))->setText(QStringLiteral("Decripta"));
    Form2* help = Windows::form2().show();
    help->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_FALSE(help->isVisible());
    EXPECT_TRUE(Windows::form2().isOpen());
    EXPECT_EQ(Windows::form1().window(), main);
    EXPECT_EQ(main->RichTextBox1()->Text(), QByteArray("documento"));
    EXPECT_EQ(Windows::form2().show(), help) << "the same help window again";

    main->close();
    settle();
    help->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    Form1* fresh = Windows::form1().window();
    ASSERT_NE(fresh, nullptr);
    EXPECT_TRUE(fresh->isVisible());
    EXPECT_TRUE(fresh->RichTextBox1()->Text().isEmpty());
    EXPECT_EQ(fresh->findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
              QStringLiteral("Cripta"));
}

TEST_F(GuiTest, HelpExitEndsEverything) {
    startMain();
    Form2* help = Windows::form2().show();
    Windows::about().show();
    help->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(Windows::form1().isOpen() || Windows::form2().isOpen() ||
                 Windows::about().isOpen());
    EXPECT_TRUE(visibleWindows().isEmpty());
}

TEST_F(GuiTest, AboutBoxAsDesigned) {
    Form1* main = startMain();
    frmAbout* box = Windows::about().show();
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Informazioni su Vemo"));
    EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(), QStringLiteral("Vemo"));
    EXPECT_EQ(box->findChild<QLabel*>(QStringLiteral("lblVersion"))->text(),
              QStringLiteral("Versione 1.0.7"));
    EXPECT_EQ(box->geometry(), QRect(156, 129, 382, 237));
    EXPECT_EQ(box->minimumSize(), box->maximumSize()) << "not resizable";
    const Qt::WindowFlags flags = box->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_EQ(box->windowHandle()->transientParent(), main->windowHandle());
    EXPECT_TRUE((flags & Qt::WindowTitleHint) && (flags & Qt::WindowCloseButtonHint));
    EXPECT_FALSE((flags & Qt::WindowMinimizeButtonHint) || (flags & Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(box->isModal());

    const struct {
        const char* name;
        QRect rect;
    } controls[] = {
        {"picIcon", {16, 16, 36, 36}},      {"cmdOK", {283, 175, 84, 23}},
        {"cmdSysInfo", {284, 205, 83, 23}}, {"lblDescription", {72, 64, 259, 94}},
        {"lblTitle", {70, 24, 259, 16}},    {"lblVersion", {70, 40, 259, 15}},
        {"Line1_1", {6, 163, 371, 1}},      {"Line1_0", {7, 164, 370, 2}},
    };
    for (const auto& c : controls)
        EXPECT_EQ(child(box, c.name)->geometry(), c.rect) << c.name;
    EXPECT_EQ(child(box, "Line1_1")->palette().color(QPalette::Window), QColor(128, 128, 128));
    EXPECT_EQ(child(box, "Line1_0")->palette().color(QPalette::Window), QColor(255, 255, 255));

    auto* ok = box->findChild<QPushButton*>(QStringLiteral("cmdOK"));
    auto* sysInfo = box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(sysInfo->text(), QStringLiteral("&System Info..."));
    EXPECT_EQ(box->focusWidget(), ok);
    EXPECT_EQ(tabOrder(ok), (QList<QWidget*>{ok, child(box, "picIcon"), sysInfo}));

    auto* description = box->findChild<QLabel*>(QStringLiteral("lblDescription"));
    const QRect needed =
        QFontMetrics(description->font())
            .boundingRect(QRect(0, 0, 259, 1000), Qt::TextWordWrap, description->text());
    EXPECT_LE(needed.height(), 94);
    EXPECT_FALSE(description->text().isEmpty());
    const QPixmap icon = box->findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap();
    EXPECT_EQ(icon.size(), QSize(32, 32));
    EXPECT_TRUE(icon.hasAlphaChannel());
}

TEST_F(GuiTest, AboutBoxClosesEveryWayAndReopensAfresh) {
    const std::function<void(frmAbout*)> closers[] = {
        [](frmAbout* b) { b->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click(); },
        [](frmAbout* b) { QTest::keyClick(b, Qt::Key_Escape); },
        [](frmAbout* b) {
            QTest::keyClick(b->findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::Key_Return);
        },
        [](frmAbout* b) { b->close(); }, // the close control
    };
    startMain();
    for (const auto& close : closers) {
        QPointer<frmAbout> box = Windows::about().show();
        auto* title = box->findChild<QLabel*>(QStringLiteral("lblTitle"));
        title->setText(QStringLiteral("cambiato"));
        EXPECT_EQ(Windows::about().show(), box);
        EXPECT_EQ(title->text(), QStringLiteral("cambiato")) << "no second Form_Load while open";
        EXPECT_EQ(visibleWindows().size(), 2);
        close(box);
        EXPECT_FALSE(Windows::about().isOpen());
        EXPECT_FALSE(box->isVisible());
        EXPECT_EQ(visibleWindows().size(), 1);
        settle();
        EXPECT_TRUE(box.isNull()) << "its window and controls are gone";
        frmAbout* again = Windows::about().show();
        EXPECT_EQ(again->findChild<QLabel*>(QStringLiteral("lblTitle"))->text(),
                  QStringLiteral("Vemo"));
        Windows::about().close();
        settle();
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(GuiTest, ProgramLivesUntilItsLastVisibleWindowCloses) {
    Shell::services().exit = {};
    startMain();
    Windows::about().show();
    bool aboutUsable = false;
    QTimer::singleShot(50, [] { Windows::form1().window()->close(); });
    QTimer::singleShot(150, [&] {
        // Left alone, the box is a window of its own that the task bar lists.
        frmAbout* box = Windows::about().window();
        aboutUsable = box->isVisible() && visibleWindows() == QList<QWidget*>{box} &&
                      (box->windowFlags() & Qt::WindowType_Mask) == Qt::Window &&
                      box->windowHandle()->transientParent() == nullptr;
        box->close();
    });
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(aboutUsable);
}
