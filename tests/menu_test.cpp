#include "core/TextFile.h"
#include "core/Texts.h"
#include "crypt/Crypt.h"
#include "qt/CommonDialog.h"
#include "qt/Form1.h"
#include "qt/Form2.h"
#include "qt/Windows.h"
#include "qt/frmAbout.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <QFileSystemModel>
#include <QTest>

#include <optional>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

struct Showing {
    CommonDialog::Mode mode;
    QString filter;
    QString startName;
};

class MenuTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        form = startMain();
        Shell::services().fileChooser = [this](CommonDialog::Mode mode, const QString& filter,
                                               const QString& start) {
            showings.push_back({mode, filter, start});
            if (mode == CommonDialog::Mode::Replace) {
                // A no brings the chooser back, which is then cancelled.
                if (!replace)
                    answer.clear();
                return replace ? start : QString();
            }
            if (beforeAnswer)
                beforeAnswer();
            return answer;
        };
    }
    QAction* action(const char* name) {
        auto* a = form->findChild<QAction*>(QString::fromLatin1(name));
        EXPECT_NE(a, nullptr) << name;
        return a;
    }
    QString file(const char* name, const QByteArray& content) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        TextFile::save(path.toStdString(), content.toStdString());
        return path;
    }
    QString fifo() {
        const QString path = dir.filePath(QStringLiteral("pipe.txt"));
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        return path;
    }
    QString socketFile() {
        const QString path = dir.filePath(QStringLiteral("socket.txt"));
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::close(fd);
        return path;
    }
    static QByteArray read(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    Form1* form = nullptr;
    QTemporaryDir dir;
    QString answer;
    bool replace = true;
    std::function<void()> beforeAnswer;
    std::vector<Showing> showings;
};

// The process's address space now, in bytes.
qint64 addressSpace(const char* field = "VmSize:") {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong() * 1024;
    return 0;
}

void collect(QMenu* menu, int depth, QStringList& out) {
    for (QAction* a : menu->actions()) {
        const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
        out << QString(depth, u'.') + name + QLatin1Char('=') + a->text();
        if (a->menu())
            collect(a->menu(), depth + 1, out);
    }
}

} // namespace

TEST_F(MenuTest, TheWholeTreeInDisplayOrder) {
    QStringList tree;
    for (QAction* top : form->menuBar()->actions()) {
        tree << top->menu()->objectName() + QLatin1Char('=') + top->text();
        collect(top->menu(), 1, tree);
    }
    const QStringList expected = {
        QStringLiteral("file=&File"),
        QStringLiteral(".save=&Salva"),
        QStringLiteral("..pubkey=&Chiave pubblica"),
        QStringLiteral("..docdacriptare=&Documento da criptare"),
        QStringLiteral("..docriptato=D&ocumento criptato"),
        QStringLiteral(".carge=&Carica"),
        QStringLiteral("..loadpubkey=&Chiave pubblica"),
        QStringLiteral("..docdacrypt=&Documento da criptare "),
        QStringLiteral("..doccrypt=D&ocumento criptato"),
        QStringLiteral(".printcrdecr=&Stampa Testo criptato/decriptato"),
        QStringLiteral(".printkey=&Stampa chiave pubblica"),
        QStringLiteral(".exit=&Esci da Vemo"),
        QStringLiteral("helponline=&Guida in Linea"),
        QStringLiteral(".helponline2=&Guida in Linea"),
        QStringLiteral(".about=&About"),
        QStringLiteral(".specialt=&Special thanks"),
    };
    EXPECT_EQ(tree, expected);
    for (QAction* a : form->findChildren<QAction*>()) {
        EXPECT_TRUE(a->shortcut().isEmpty()) << a->objectName().toStdString();
        EXPECT_FALSE(a->isSeparator() || a->isCheckable());
        EXPECT_TRUE(a->isEnabled() && a->isVisible());
    }
}

TEST_F(MenuTest, ExitEndsTheProgramAndThanksShowTheMessage) {
    action("specialt")->trigger();
    EXPECT_EQ(messages.size(), 1);

    const QString held = file("held.txt", "x");
    Shell::fileSlot1().openForReading(held.toStdString());
    Windows::form2().show();
    Windows::form2().hide();
    Windows::about().show();
    action("exit")->trigger();
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(Windows::form1().isOpen() || Windows::form2().isOpen() ||
                 Windows::about().isOpen());
    EXPECT_TRUE(visibleWindows().isEmpty());
    EXPECT_FALSE(heldOpen(held));
}

TEST_F(MenuTest, HelpAndAboutEntriesShowOneWindowEach) {
    action("helponline2")->trigger();
    Form2* help = Windows::form2().window();
    action("helponline2")->trigger();
    EXPECT_EQ(Windows::form2().window(), help);
    action("about")->trigger();
    frmAbout* about = Windows::about().window();
    action("about")->trigger();
    EXPECT_EQ(Windows::about().window(), about);
    EXPECT_TRUE(form->isVisible() && help->isVisible() && about->isVisible());
    EXPECT_EQ(visibleWindows().size(), 3);
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MenuTest, LoadCommandsFillTheirPane) {
    const struct {
        const char* entry;
        QString filter;
        bool intoDocument;
    } commands[] = {
        {"docdacrypt", QStringLiteral("Documenti da criptare (*.txt) (*.txt)"), true},
        {"doccrypt", QStringLiteral("Documenti criptati da Vemo (*.txt) (*.txt)"), true},
        {"loadpubkey", QStringLiteral("Documento chiave pubblica (*.txt) (*.txt)"), false},
    };
    QPushButton* button = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    button->setText(QStringLiteral("Decripta"));
    const QByteArray content("{\\rtf1 testo}\0\x01\r\n\xe8", 18);
    answer = file("in.txt", content);
    for (const auto& c : commands) {
        messages.clear();
        form->RichTextBox1()->setText("documento");
        form->RichTextBox2()->setText("chiave");
        action(c.entry)->trigger();
        ASSERT_FALSE(showings.empty());
        EXPECT_EQ(showings.back().mode, CommonDialog::Mode::Open);
        EXPECT_EQ(showings.back().filter, c.filter);
        RichTextBox* target = c.intoDocument ? form->RichTextBox1() : form->RichTextBox2();
        RichTextBox* other = c.intoDocument ? form->RichTextBox2() : form->RichTextBox1();
        EXPECT_EQ(target->Text(), content) << c.entry;
        EXPECT_EQ(other->Text(), c.intoDocument ? QByteArray("chiave") : QByteArray("documento"));
        EXPECT_EQ(button->text(), QStringLiteral("Decripta"));
        EXPECT_TRUE(heldOpen(answer)) << "the loaded file stays open";
    }
}

TEST_F(MenuTest, CancelledChooserChangesNothing) {
    const QString held = file("held.txt", "x");
    Shell::fileSlot1().openForReading(held.toStdString());
    form->RichTextBox1()->setText("documento");
    answer.clear();
    for (const char* entry : {"docdacrypt", "doccrypt", "loadpubkey"})
        action(entry)->trigger();
    EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray("documento"));
    EXPECT_TRUE(form->RichTextBox2()->Text().isEmpty());
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_FALSE(heldOpen(held)) << "each load closes the slot first";
}

TEST_F(MenuTest, BadFilesAreReportedAndThePaneKept) {
    const QString vanishing = file("vanishing.txt", "x");
    const QString big = dir.filePath(QStringLiteral("big.txt"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(TextFile::kMaxFileSize + 1));
    }
    const struct {
        QString path;
        QString reason;
        bool slotOpen;
        std::function<void()> before;
    } cases[] = {
        {dir.filePath(QStringLiteral("missing.txt")),
         QStringLiteral("il file non esiste"),
         false,
         {}},
        {dir.path(), QStringLiteral("è una cartella, non un file"), false, {}},
        {vanishing, QStringLiteral("il file non esiste"), false, [&] { QFile::remove(vanishing); }},
        {big, QStringLiteral("il file supera il limite di 256 MiB"), true, {}},
        // Refused before they are opened: opening a pipe to read waits for a writer.
        {fifo(), QStringLiteral("è una pipe (FIFO), non un file normale"), false, {}},
        {socketFile(), QStringLiteral("è un socket, non un file normale"), false, {}},
        {QStringLiteral("/dev/zero"),
         QStringLiteral("è un dispositivo, non un file normale"),
         false,
         {}},
    };
    for (const auto& c : cases) {
        messages.clear();
        form->RichTextBox1()->setText("documento");
        answer = c.path;
        beforeAnswer = c.before;
        action("docdacrypt")->trigger();
        ASSERT_EQ(messages.size(), 1) << c.path.toStdString();
        EXPECT_TRUE(messages[0].contains(c.path)) << messages[0].toStdString();
        EXPECT_TRUE(messages[0].contains(c.reason)) << messages[0].toStdString();
        EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray("documento"));
        EXPECT_EQ(heldOpen(c.path), c.slotOpen);
    }
}

TEST_F(MenuTest, GivingUpALoadKeepsThePane) {
    answer = file("big.txt", QByteArray(9 << 20, 'x'));
    Shell::services().progressDelay = 0;
    // Given up while the file is read, then while the pane is filled.
    for (const int after : {0, 101}) {
        form->RichTextBox1()->setText("documento");
        QTimer giveUp;
        QObject::connect(&giveUp, &QTimer::timeout, [this, after] {
            auto* progress = form->findChild<QProgressDialog*>();
            if (progress && progress->value() >= after)
                progress->cancel();
        });
        giveUp.start(0);
        action("docdacrypt")->trigger();
        EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray("documento")) << after;
    }
    EXPECT_TRUE(messages.isEmpty());
}

// Escape or a close request on the window of work that cannot be given up (the button)
// leaves it there, modal, until the work ends: hidden, it let a second click and typing
// into the pane while the transform ran.
TEST_F(MenuTest, WorkThatCannotBeGivenUpKeepsItsWindow) {
    form->RichTextBox1()->setText(QByteArray(9 << 20, 'x'));
    form->RichTextBox2()->setText("k");
    Shell::services().progressDelay = 0;
    int asked = 0, stayed = 0;
    QTimer press;
    QObject::connect(&press, &QTimer::timeout, [&] {
        auto* progress = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget());
        if (!progress || asked >= 2)
            return;
        if (asked++ == 0)
            QTest::keyClick(progress, Qt::Key_Escape);
        else
            progress->close();
        stayed += progress->isVisible() && QApplication::activeModalWidget() == progress;
    });
    press.start(0);
    form->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(stayed, 2);
    EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray(9 << 20, 'x' ^ 'k'));
}

// With too little memory left (an address-space limit, as prlimit sets), Cripta and a load
// are refused before the pane changes, with the message; the caption and the file slot as
// before. In a process of its own, which the limit stays with.
TEST_F(MenuTest, WorkWithoutMemoryIsRefusedBeforeThePaneChanges) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "AddressSanitizer reserves far more address space than any limit allows";
#endif
    if (qEnvironmentVariableIsEmpty("VEMO_LIMITED")) {
        QProcess child;
        child.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("VEMO_LIMITED"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=MenuTest.WorkWithoutMemory*")});
        ASSERT_TRUE(child.waitForFinished(240000));
        const std::string out = child.readAll().toStdString();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << out;
        EXPECT_EQ(child.exitCode(), 0) << out;
        return;
    }
    // A ciphertext without line breaks (a key above ASCII makes none), whose plain text has
    // many short lines; showing either takes more than the limit leaves.
    const QByteArray key = "\xe8\xe9";
    QByteArray plain;
    for (int i = 0; plain.size() < (qsizetype(16) << 20); ++i)
        plain += "riga " + QByteArray::number(i) + "\n";
    const QByteArray cipher =
        QByteArray::fromStdString(Crypt::CryptText(plain.toStdString(), key.toStdString()));
    answer = file("grande.txt", plain + plain);
    RichTextBox* document = form->RichTextBox1();
    document->setText(cipher);
    form->RichTextBox2()->setText(key);
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    const QString caption = button->text();

    rlimit unlimited{};
    ASSERT_EQ(getrlimit(RLIMIT_AS, &unlimited), 0);
    rlimit limited = unlimited;
    limited.rlim_cur = rlim_t(addressSpace() + (qint64(64) << 20));
    const struct {
        const char* what;
        std::function<void()> act;
    } cases[] = {
        {"Cripta", [&] { button->click(); }},
        {"load", [&] { action("docdacrypt")->trigger(); }},
    };
    for (const auto& c : cases) {
        messages.clear();
        ASSERT_EQ(setrlimit(RLIMIT_AS, &limited), 0);
        c.act();
        ASSERT_EQ(setrlimit(RLIMIT_AS, &unlimited), 0);
        EXPECT_EQ(messages, QStringList{Shell::text(Texts::kOutOfMemory)}) << c.what;
        EXPECT_TRUE(document->Text() == cipher) << c.what;
        EXPECT_EQ(button->text(), caption) << c.what;
        EXPECT_FALSE(heldOpen(answer)) << c.what;
    }
    // With the memory back, the same work is done.
    button->click();
    EXPECT_TRUE(document->Text() == plain);
}

TEST_F(MenuTest, TheRealChoosersSpeakItalian) {
    Shell::services().fileChooser = {};
    QStringList seen;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen << dialog->windowTitle();
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            seen << label->text();
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            seen << button->text();
        dialog->reject();
    });
    look.start(10);
    action("docdacrypt")->trigger();
    action("pubkey")->trigger();
    for (const char* english :
         {"Open", "Save As", "Look in:", "Files of type:", "Cancel", "&Open", "&Save"})
        EXPECT_FALSE(seen.contains(QString::fromLatin1(english))) << english;
    for (const char* italian : {"Apri", "Salva come", "Cerca in:", "File di tipo:", "Annulla"})
        EXPECT_TRUE(seen.contains(QString::fromUtf8(italian))) << italian << "\n"
                                                               << seen.join(u'|').toStdString();
    EXPECT_TRUE(messages.isEmpty());
}

// The real chooser lists a folder from the names and the file system alone, without
// opening the files in it, and says how many names it cannot show.
TEST_F(MenuTest, TheRealChooserReadsNoFileItLists) {
    answer = file("dati.zzz", QByteArray(4096, 'x'));
    action("docdacrypt")->trigger();
    ::close(::open((QFile::encodeName(dir.path()) + "/caff\xe8.txt").constData(),
                   O_CREAT | O_WRONLY, 0644));
    const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ::inotify_add_watch(watch, QFile::encodeName(dir.path()).constData(), IN_OPEN | IN_ACCESS);
    Shell::services().fileChooser = {};
    QString notice;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        auto* model = dialog ? dialog->findChild<QFileSystemModel*>() : nullptr;
        if (!model || model->rowCount(model->index(dir.path())) < 1)
            return;
        look.stop();
        // The types and icons of what is listed.
        const QModelIndex listed = model->index(answer);
        model->data(listed.siblingAtColumn(2));
        model->data(listed, Qt::DecorationRole);
        QTest::qWait(300);
        if (const auto* label = dialog->findChild<QLabel*>(QStringLiteral("undecodableNames")))
            notice = label->isVisible() ? label->text() : QStringLiteral("<hidden>");
        dialog->reject();
    });
    look.start(10);
    action("docdacrypt")->trigger();
    std::vector<char> events(4096);
    const ssize_t size = ::read(watch, events.data(), events.size());
    ::close(watch);
    QStringList opened;
    for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events.data() + at);
        if (event->len > 0)
            opened << QString::fromUtf8(event->name);
        at += ssize_t(sizeof(inotify_event) + event->len);
    }
    EXPECT_TRUE(opened.isEmpty()) << opened.join(u' ').toStdString();
    EXPECT_EQ(notice.toStdString(), Shell::text(Texts::kUndecodableNames).arg(1).toStdString());
    ::unlink((QFile::encodeName(dir.path()) + "/caff\xe8.txt").constData());
}

// The chooser's own warnings show a typed name as it is, never as markup.
TEST_F(MenuTest, TheRealChoosersWarningsArePlainText) {
    Shell::services().fileChooser = {};
    std::optional<Qt::TextFormat> format;
    int tries = 0;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            format = box->textFormat();
            box->reject();
        } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
            if (format || ++tries > 100) {
                dialog->reject();
                return;
            }
            if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(dir.filePath(QStringLiteral("<b>manca.txt")));
            QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
        }
    });
    look.start(10);
    action("docdacrypt")->trigger();
    EXPECT_EQ(format, Qt::PlainText);
}

TEST_F(MenuTest, SaveCommandsWriteTheirPaneExactly) {
    QByteArray cipher;
    for (int b = 1; b < 256; ++b)
        cipher.append(static_cast<char>(b));
    cipher += "\r\n\n\r";
    const struct {
        const char* entry;
        QString filter;
        bool fromDocument;
    } commands[] = {
        {"pubkey", QStringLiteral("Documento chiave pubblica (*.txt) (*.txt)"), false},
        {"docdacriptare", QStringLiteral("Documenti da criptare (*.txt) (*.txt)"), true},
        {"docriptato", QStringLiteral("Documenti criptati da Vemo (*.txt) (*.txt)"), true},
    };
    int n = 0;
    for (const auto& c : commands) {
        messages.clear();
        form->RichTextBox1()->setText(cipher);
        form->RichTextBox2()->setText("la chiave");
        // A name without an extension gets ".txt", which the load dialogs list.
        answer = dir.filePath(QStringLiteral("saved%1").arg(n++));
        action(c.entry)->trigger();
        EXPECT_EQ(showings.back().mode, CommonDialog::Mode::Save);
        EXPECT_EQ(showings.back().filter, c.filter);
        answer += QStringLiteral(".txt");
        EXPECT_EQ(messages.size(), 1);
        const QByteArray written = read(answer);
        EXPECT_EQ(written, c.fromDocument ? cipher : QByteArray("la chiave"));

        // What was saved loads back byte for byte.
        action(c.fromDocument ? "doccrypt" : "loadpubkey")->trigger();
        EXPECT_EQ((c.fromDocument ? form->RichTextBox1() : form->RichTextBox2())->Text(), written);
    }
}

TEST_F(MenuTest, SavingOverAFileAsksFirst) {
    const QString letter = file("lettera.txt", "cara Anna");
    form->RichTextBox2()->setText("la chiave");
    // A no keeps the letter and brings the chooser back.
    using Mode = CommonDialog::Mode;
    answer = letter;
    replace = false;
    action("pubkey")->trigger();
    ASSERT_EQ(showings.size(), 3u);
    EXPECT_EQ(showings[1].mode, Mode::Replace);
    EXPECT_EQ(showings[1].startName, letter);
    EXPECT_EQ(showings[2].mode, Mode::Save);
    EXPECT_EQ(read(letter), QByteArray("cara Anna"));
    EXPECT_TRUE(messages.isEmpty());

    // A yes replaces it.
    answer = letter;
    replace = true;
    action("pubkey")->trigger();
    EXPECT_EQ(read(letter), QByteArray("la chiave"));
    EXPECT_EQ(Shell::text(Texts::kReplace).arg(letter),
              QStringLiteral("Il file \"%1\" esiste già.\nVuoi sostituirlo?").arg(letter));
}

TEST_F(MenuTest, KeySavingClosesTheFileSlotFirst) {
    const QString held = file("held.txt", "x");
    Shell::fileSlot1().openForReading(held.toStdString());
    answer.clear();
    action("docdacriptare")->trigger();
    EXPECT_TRUE(heldOpen(held));
    action("pubkey")->trigger();
    EXPECT_FALSE(heldOpen(held));
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(MenuTest, SaveFailuresNameTheFileAndKeepTheOldOne) {
    const QString existing = file("keep.txt", "vecchio");
    // A full disk: a name that leads to /dev/full.
    const QString full = dir.filePath(QStringLiteral("full.txt"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/full"), full));
    const struct {
        QString path;
        QString reason;
    } targets[] = {
        {QStringLiteral("/proc/vemo.txt"), {}},
        {QStringLiteral("/proc/version.txt"), {}},
        {full, QStringLiteral("il disco è pieno")},
        // Opening a pipe to write waits for a reader: it must fail at once instead.
        {fifo(), QStringLiteral("nessun programma sta leggendo dalla pipe")},
        {socketFile(), QStringLiteral("è un socket, non un file normale")},
        {dir.filePath(QStringLiteral("manca/doc.txt")), QStringLiteral("la cartella non esiste")},
        {dir.filePath(QString(300, u'n') + QStringLiteral(".txt")),
         QStringLiteral("il nome del file è troppo lungo")},
    };
    form->RichTextBox1()->setText(QByteArray(100000, 'x'));
    form->RichTextBox2()->setText("chiave");
    for (const auto& target : targets) {
        messages.clear();
        answer = target.path;
        action("docdacriptare")->trigger();
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Impossibile salvare il file \"") +
                                           target.path + QStringLiteral("\": ") + target.reason))
            << messages[0].toStdString();
        EXPECT_FALSE(messages[0].contains(QStringLiteral("Unknown")));
        EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray(100000, 'x'));
        EXPECT_EQ(form->RichTextBox2()->Text(), QByteArray("chiave"));
    }
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).filter(QStringLiteral(".vemo")),
        QStringList())
        << "no temporary file is left behind";
    // A character that cannot be saved is reported before any file is chosen.
    messages.clear();
    showings.clear();
    answer = existing;
    form->RichTextBox1()->insertPlainText(QStringLiteral("ł"));
    action("docdacriptare")->trigger();
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("ł")));
    EXPECT_TRUE(showings.empty());
    EXPECT_EQ(read(existing), QByteArray("vecchio"));
}

TEST_F(MenuTest, PrintCommandsPrintTheirOwnPane) {
    int jobs = 0;
    QString pdf;
    Shell::services().printer = [&] {
        pdf = dir.filePath(QStringLiteral("job%1.pdf").arg(++jobs));
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return printer;
    };
    form->RichTextBox1()->setText("DOCUMENTOALFA");
    form->RichTextBox2()->setText("CHIAVEBETA");
    action("printcrdecr")->trigger();
    QString printed = pdfText(pdf);
    EXPECT_TRUE(printed.contains(QStringLiteral("DOCUMENTOALFA")));
    EXPECT_FALSE(printed.contains(QStringLiteral("CHIAVEBETA")));
    action("printkey")->trigger();
    printed = pdfText(pdf);
    EXPECT_TRUE(printed.contains(QStringLiteral("CHIAVEBETA")));
    EXPECT_FALSE(printed.contains(QStringLiteral("DOCUMENTOALFA")));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(jobs, 2);
}

TEST_F(MenuTest, NoDefaultPrinterIsReported) {
    Shell::services().printer = [] { return std::unique_ptr<QPrinter>(); };
    form->RichTextBox1()->setText("doc");
    action("printcrdecr")->trigger();
    action("printkey")->trigger();
    ASSERT_EQ(messages.size(), 2);
    EXPECT_TRUE(messages[0].contains(QStringLiteral("nessuna stampante predefinita")));
    EXPECT_EQ(form->RichTextBox1()->Text(), QByteArray("doc"));
}
