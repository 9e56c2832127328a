#include "AppInfo.h"
#include "Form1.h"
#include "Form2.h"
#include "Registry.h"
#include "RichTextBox.h"
#include "Shell.h"
#include "TestSupport.h"
#include "Windows.h"
#include "frmAbout.h"

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

// Hands the about box a view of a backend the test keeps.
class BackendView : public Backend {
public:
    explicit BackendView(MemoryBackend& target)
        : m_target(target) {}
    LONG RegOpenKeyEx(HKEY r, const std::string& k, DWORD o, DWORD s, HKEY& h) override {
        return m_target.RegOpenKeyEx(r, k, o, s, h);
    }
    LONG RegQueryValueEx(HKEY k, const std::string& n, DWORD r, DWORD& t, std::string& d,
                         DWORD& s) override {
        return m_target.RegQueryValueEx(k, n, r, t, d, s);
    }
    LONG RegCloseKey(HKEY k) override { return m_target.RegCloseKey(k); }

private:
    MemoryBackend& m_target;
};

class SysInfoTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        SysInfoEnvironment env;
        env.registry = [this] { return std::make_unique<BackendView>(registry); };
        env.dir = [this](const QString& path) {
            dirAsked << path;
            return existing.contains(path) ? QStringLiteral("MSINFO32.EXE") : QString();
        };
        env.start = [this](const QString& path) {
            started << path;
            return startable.contains(path);
        };
        frmAbout::setEnvironment(env);
        box = Windows::about().show();
    }

    MemoryBackend registry;
    QStringList existing;
    QStringList startable;
    QStringList dirAsked;
    QStringList started;
    frmAbout* box = nullptr;
};

const std::string kFirst = kSysInfoKey;
const std::string kSecond = kSysInfoLocationKey;

Value raw(DWORD type, const std::string& data, DWORD reported) {
    Value v;
    v.type = type;
    v.data = data;
    v.overrideSize = true;
    v.reportedSize = reported;
    return v;
}

} // namespace

TEST_F(SysInfoTest, LookUpOrderAndFallBack) {
    const QString unavailable = frmAbout::kSysInfoUnavailable;
    const struct {
        const char* what;
        std::function<void(MemoryBackend&)> setUp;
        QStringList existing;
        QStringList started;
        bool message;
    } cases[] = {
        {"first place present",
         [](MemoryBackend& r) {
             r.setString(HKEY_LOCAL_MACHINE, kFirst, "PATH", "C:\\Tools\\msinfo32.exe");
             r.setString(HKEY_LOCAL_MACHINE, kSecond, "MSINFO", "C:\\Other");
         },
         {},
         {QStringLiteral("C:\\Tools\\msinfo32.exe")},
         false},
        {"second place with the file",
         [](MemoryBackend& r) { r.setString(HKEY_LOCAL_MACHINE, kSecond, "MSINFO", "C:\\Dir"); },
         {QStringLiteral("C:\\Dir\\MSINFO32.EXE")},
         {QStringLiteral("C:\\Dir\\MSINFO32.EXE")},
         false},
        {"second place without the file",
         [](MemoryBackend& r) { r.setString(HKEY_LOCAL_MACHINE, kSecond, "MSINFO", "C:\\Dir"); },
         {},
         {},
         true},
        {"both missing", [](MemoryBackend&) {}, {}, {}, true},
        {"first place names a missing file",
         [](MemoryBackend& r) { r.setString(HKEY_LOCAL_MACHINE, kFirst, "PATH", "C:\\gone.exe"); },
         {},
         {QStringLiteral("C:\\gone.exe")},
         true},
        {"first key cannot be opened",
         [](MemoryBackend& r) {
             r.setString(HKEY_LOCAL_MACHINE, kFirst, "PATH", "C:\\x.exe");
             r.failOpen(kFirst);
             r.setString(HKEY_LOCAL_MACHINE, kSecond, "MSINFO", "D:");
         },
         {QStringLiteral("D:\\MSINFO32.EXE")},
         {QStringLiteral("D:\\MSINFO32.EXE")},
         false},
        {"first value of an unknown type",
         [](MemoryBackend& r) { r.setValue(HKEY_LOCAL_MACHINE, kFirst, "PATH", raw(3, "ab", 2)); },
         {},
         {QString()},
         true},
        {"first value reports size 0",
         [](MemoryBackend& r) { r.setValue(HKEY_LOCAL_MACHINE, kFirst, "PATH", raw(1, "ab", 0)); },
         {},
         {},
         true},
        {"first value too long for the buffer",
         [](MemoryBackend& r) {
             r.setString(HKEY_LOCAL_MACHINE, kFirst, "PATH", std::string(1024, 'x'));
         },
         {},
         {},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry = MemoryBackend();
        c.setUp(registry);
        existing = c.existing;
        startable = c.existing + QStringList{QStringLiteral("C:\\Tools\\msinfo32.exe")};
        started.clear();
        messages.clear();
        box->findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();
        EXPECT_EQ(started, c.started);
        EXPECT_EQ(messages, c.message ? QStringList{unavailable} : QStringList{});
        EXPECT_EQ(registry.openHandles(), 0) << "every key is closed";
        for (DWORD rights : registry.requestedRights())
            EXPECT_EQ(rights, KEY_READ);
        EXPECT_TRUE(Windows::about().isVisible()) << "the box stays open";
    }
}

TEST_F(SysInfoTest, SecondPlaceIsNotReadWhenTheFirstAnswers) {
    registry.setString(HKEY_LOCAL_MACHINE, kFirst, "PATH", "C:\\Tools\\msinfo32.exe");
    startable = {QStringLiteral("C:\\Tools\\msinfo32.exe")};
    box->StartSysInfo();
    EXPECT_EQ(registry.openedKeys(), std::vector<std::string>{kFirst});
    EXPECT_TRUE(dirAsked.isEmpty()) << "no existence test on the first branch";
}

TEST_F(SysInfoTest, GetKeyValueTrimsAndConverts) {
    const struct {
        const char* what;
        Value value;
        bool result;
        QString expected;
    } cases[] = {
        {"string with its NUL", raw(REG_SZ, std::string("abc\0", 4), 4), true,
         QStringLiteral("abc")},
        {"string without a NUL", raw(REG_SZ, "abc", 3), true, QStringLiteral("abc")},
        {"reported size shorter than the data", raw(REG_SZ, "abcdef", 2), true,
         QStringLiteral("ab")},
        {"32-bit number", raw(REG_DWORD, std::string("\x07\0\0\0", 4), 4), true,
         QStringLiteral("7")},
        {"32-bit number, all bits", raw(REG_DWORD, "\xff\xff\xff\xff", 4), true,
         QStringLiteral("-1")},
        {"32-bit number 0x0102", raw(REG_DWORD, std::string("\x02\x01\0\0", 4), 4), true,
         QStringLiteral("258")},
        {"unknown type keeps the caller's value", raw(7, "zz", 2), true, QStringLiteral("prima")},
    };
    const QString initial[] = {
        QString(), QString(), QString(), QString(), QString(), QString(), QStringLiteral("prima")};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(c.what);
        registry = MemoryBackend();
        registry.setValue(HKEY_LOCAL_MACHINE, "K", "V", c.value);
        box->StartSysInfo(); // takes a fresh view of the registry
        QString value = initial[i];
        EXPECT_EQ(
            box->GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("V"), value),
            c.result);
        EXPECT_EQ(value, c.expected);
        EXPECT_EQ(registry.openHandles(), 0);
    }
    // A number is appended to what the caller passed in; like any value, its data loses a
    // last byte of 0 to the trim rule.
    registry.setValue(HKEY_LOCAL_MACHINE, "K", "N",
                      raw(REG_DWORD, std::string("\x07\0\0\0", 4), 4));
    QString value = QStringLiteral("x");
    EXPECT_TRUE(
        box->GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"), QStringLiteral("N"), value));
    EXPECT_EQ(value, QStringLiteral("&hx000007"));
    value = QStringLiteral("prima");
    EXPECT_FALSE(box->GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("K"),
                                  QStringLiteral("missing"), value));
    EXPECT_TRUE(value.isEmpty());
    value = QStringLiteral("prima");
    EXPECT_FALSE(
        box->GetKeyValue(HKEY_LOCAL_MACHINE, QStringLiteral("nokey"), QStringLiteral("V"), value));
    EXPECT_TRUE(value.isEmpty());
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
        EXPECT_EQ(messages, QStringList{frmAbout::kSysInfoUnavailable});
    }
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
    Shell::setExitHook({});
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
