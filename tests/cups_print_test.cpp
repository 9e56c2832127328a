#include "Form1.h"
#include "RichTextBox.h"
#include "TestSupport.h"

#include <QAction>
#include <QDir>
#include <QPrinterInfo>
#include <QProcess>
#include <QTest>

TEST(CupsPrint, PrintCommandReachesTheDefaultPrinter) {
    const QString queue = qEnvironmentVariable("VEMO_CUPS_PRINTER");
    if (queue.isEmpty())
        GTEST_SKIP() << "run through cups_print_test.sh";
    ASSERT_EQ(QPrinterInfo::defaultPrinter().printerName(), queue);

    const QDir out(qEnvironmentVariable("VEMO_CUPS_PDF_DIR"));
    const auto pdfs = [&] { return out.entryList({QStringLiteral("*.pdf")}, QDir::Files); };
    const QStringList before = pdfs();

    class Fixture : public GuiTest {
        void TestBody() override {}

    public:
        using GuiTest::messages;
        using GuiTest::SetUp;
        using GuiTest::startMain;
        using GuiTest::TearDown;
    } gui;
    gui.SetUp();
    Form1* form = gui.startMain();
    form->RichTextBox1()->setText("Documento stampato da Vemo\r\n\x01\x02 fine");
    form->findChild<QAction*>(QStringLiteral("printcrdecr"))->trigger();
    EXPECT_TRUE(gui.messages.isEmpty()) << gui.messages.join(u'\n').toStdString();
    gui.TearDown();

    // cups-pdf writes the file while the job runs: wait for a whole PDF.
    int printed = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            for (const QString& f : pdfs())
                if (!before.contains(f))
                    printed = std::max(printed, pdfPages(out.filePath(f)));
            return printed >= 1;
        },
        60000))
        << "no whole job arrived in " << out.path().toStdString();
}
