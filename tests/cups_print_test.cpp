#include "core/Texts.h"
#include "qt/Form1.h"
#include "qt/PrintQueue.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <functional>

namespace {

QString run(const QString& program, const QStringList& arguments) {
    QProcess p;
    p.start(program, arguments);
    p.waitForFinished(30000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

class CupsPrint : public GuiTest {
protected:
    void SetUp() override {
        if (queue.isEmpty())
            GTEST_SKIP() << "run through cups_print_test.sh";
        GuiTest::SetUp();
        form = startMain();
        form->RichTextBox1()->setText(kDocument);
        form->RichTextBox2()->setText("chiave");
    }
    void print() {
        form->findChild<QAction*>(QStringLiteral("printcrdecr"))->trigger();
        EXPECT_EQ(form->RichTextBox1()->Text(), kDocument);
        EXPECT_EQ(form->RichTextBox2()->Text(), QByteArray("chiave"));
    }
    // Each PDF with its time: a fresh server numbers its jobs from 1 again, so cups-pdf
    // may write over a file of an earlier run.
    QStringList pdfs() const {
        QStringList found;
        for (const QFileInfo& f : out.entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
            found << f.fileName() + QLatin1Char('@') +
                         QString::number(f.lastModified().toMSecsSinceEpoch());
        return found;
    }
    QStringList jobs() const {
        return run(QStringLiteral("lpstat"), {QStringLiteral("-o"), queue})
            .split(u'\n', Qt::SkipEmptyParts);
    }

    const QByteArray kDocument = "Documento stampato da Vemo\r\n\x01\x02 fine";
    const QString queue = qEnvironmentVariable("VEMO_CUPS_PRINTER");
    const QDir out{qEnvironmentVariable("VEMO_CUPS_PDF_DIR")};
    Form1* form = nullptr;
};

} // namespace

TEST_F(CupsPrint, PrintCommandReachesTheDefaultPrinter) {
    const QStringList before = pdfs();
    print();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(u'\n').toStdString();
    // cups-pdf writes the file while the job runs: wait for a whole PDF.
    int printed = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& f : pdfs())
                if (!before.contains(f))
                    printed = std::max(printed, pdfPages(out.filePath(f.section(u'@', 0, 0))));
            return printed >= 1;
        },
        60000))
        << "no whole job arrived in " << out.path().toStdString();
}

TEST_F(CupsPrint, RefusedAndPausedQueuesAreReported) {
    const struct {
        const char* stop;
        const char* restart;
        QString said;
        qsizetype waiting;
    } cases[] = {
        {"cupsreject", "cupsaccept", PrintQueue::refused(queue), 0},
        {"cupsdisable", "cupsenable", PrintQueue::waitsInPausedQueue(queue), 1},
    };
    for (const auto& c : cases) {
        messages.clear();
        run(QString::fromLatin1(c.stop), {queue});
        print();
        EXPECT_EQ(messages, QStringList{c.said});
        EXPECT_EQ(jobs().size(), c.waiting) << jobs().join(u'\n').toStdString();
        run(QStringLiteral("cancel"), {QStringLiteral("-a"), queue});
        run(QString::fromLatin1(c.restart), {queue});
    }
}

// What happens to the print service while the pages are made (mid-job) or before the
// command starts is reported as what it is, and no PDF comes out; the busy pointer shows
// from the first moment. The service is stopped last, for good.
TEST_F(CupsPrint, ServiceFailuresAreReported) {
    const pid_t cupsd = pid_t(qEnvironmentVariableIntValue("VEMO_CUPSD_PID"));
    if (cupsd <= 0)
        GTEST_SKIP() << "run by cups_print_test.sh with its cupsd's process id";
    const auto notTaken = [&](std::string_view reason) {
        return QString::fromStdString(
            Texts::with(Texts::kPrintNotTaken, queue.toStdString(), Texts::with(reason, "5")));
    };
    const auto lpadmin = [](const QStringList& arguments) {
        return QProcess::execute(QStringLiteral("lpadmin"), arguments);
    };
    const QString ppd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
    const struct {
        const char* what;
        bool midJob;
        std::function<void()> act;
        QString said;
        std::function<void()> restore;
    } cases[] = {
        {"queue removed", true,
         [&] {
             lpadmin({QStringLiteral("-x"), queue});
         },
         notTaken(Texts::kPrintQueueGone),
         [&] {
             lpadmin({QStringLiteral("-p"), queue, QStringLiteral("-v"),
                      QStringLiteral("cups-pdf:/"), QStringLiteral("-P"), ppd,
                      QStringLiteral("-E")});
             lpadmin({QStringLiteral("-d"), queue});
         }},
        {"frozen before", false, [&] { kill(cupsd, SIGSTOP); },
         QString::fromStdString(Texts::with(Texts::kPrintNoAnswer, "5")),
         [&] { kill(cupsd, SIGCONT); }},
        {"frozen mid-job", true, [&] { kill(cupsd, SIGSTOP); },
         notTaken(Texts::kPrintNoAnswerInJob), [&] { kill(cupsd, SIGCONT); }},
        {"stopped", true,
         [&] {
             kill(cupsd, SIGTERM);
             EXPECT_TRUE(QTest::qWaitFor([] {
                 return run(QStringLiteral("lpstat"), {QStringLiteral("-r")})
                     .contains(u"not running");
             }));
         },
         notTaken(Texts::kPrintServiceGone), [] {}},
    };
    // Enough lines for several pages: each new page lets the window run its events.
    QByteArray pages;
    for (int i = 0; i < 400; ++i)
        pages += "riga " + QByteArray::number(i) + "\n";
    form->RichTextBox1()->setText(pages);
    Shell::services().progressDelay = 0;
    for (const auto& c : cases) {
        messages.clear();
        const QStringList before = pdfs();
        // Mid-job is once the progress window shows, at the first page break.
        bool busy = false;
        QTimer watch;
        watch.setInterval(1);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            busy = QApplication::overrideCursor() &&
                   QApplication::overrideCursor()->shape() == Qt::WaitCursor;
            const QWidgetList windows = QApplication::topLevelWidgets();
            const bool working = std::any_of(windows.cbegin(), windows.cend(), [](QWidget* w) {
                return w->isVisible() && w->inherits("QProgressDialog");
            });
            if (working) {
                watch.stop();
                if (c.midJob)
                    c.act();
            }
        });
        watch.start();
        if (!c.midJob)
            c.act();
        QElapsedTimer clock;
        clock.start();
        form->findChild<QAction*>(QStringLiteral("printcrdecr"))->trigger();
        watch.stop();
        EXPECT_LT(clock.elapsed(), 15000) << c.what;
        EXPECT_TRUE(busy) << c.what;
        EXPECT_EQ(messages.join(u'\n').toStdString(), c.said.toStdString()) << c.what;
        c.restore();
        QTest::qWait(1000);
        EXPECT_EQ(pdfs(), before) << c.what;
        run(QStringLiteral("cancel"), {QStringLiteral("-a"), queue});
    }
}

TEST_F(CupsPrint, StoppedServiceIsReported) {
    if (qEnvironmentVariableIsEmpty("VEMO_CUPS_STOPPED"))
        GTEST_SKIP() << "run by cups_print_test.sh once its cupsd has stopped";
    print();
    EXPECT_EQ(messages, QStringList{PrintQueue::serviceUnreachable()});
}
