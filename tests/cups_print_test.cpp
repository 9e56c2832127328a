#include "app/RichTextBox.h"
#include "forms/main/Form1.h"
#include "forms/main/PrintQueue.h"
#include "tests/TestSupport.h"

#include <QAction>
#include <QDir>
#include <QProcess>
#include <QTest>

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

TEST_F(CupsPrint, StoppedServiceIsReported) {
    if (qEnvironmentVariableIsEmpty("VEMO_CUPS_STOPPED"))
        GTEST_SKIP() << "run by cups_print_test.sh once its cupsd has stopped";
    print();
    EXPECT_EQ(messages, QStringList{PrintQueue::serviceUnreachable()});
}
