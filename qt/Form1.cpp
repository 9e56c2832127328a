#include "qt/Form1.h"

#include "ui_Form1.h"

#include "core/AppInfo.h"
#include "core/Design.h"
#include "core/Errors.h"
#include "core/MainWindow.h"
#include "core/Texts.h"
#include "qt/CommonDialog.h"
#include "qt/Form2.h"
#include "qt/LongWork.h"
#include "qt/PrintQueue.h"
#include "qt/Windows.h"
#include "qt/frmAbout.h"
#include "qt/pane/RichTextBox.h"
#include "qt/shell/Shell.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>

#include <optional>

// The pane as the commands see it.
class Form1::PaneAdapter : public Ports::Pane {
public:
    explicit PaneAdapter(RichTextBox* pane)
        : m_pane(pane) {}

    Ports::Bytes text() const override {
        auto held = std::make_shared<const QByteArray>(m_pane->Text());
        return {held, std::string_view(held->constData(), std::size_t(held->size()))};
    }
    bool change(const Change& change, const TextFile::Progress& progress) override {
        // In place, piece by piece: the document is never held twice.
        m_pane->changeText(
            [&change](const char* in, char* out, qsizetype from, qsizetype n) {
                change(in, out, std::size_t(from), std::size_t(n));
            },
            progress);
        return true;
    }
    // A change in place cannot be undone half-way.
    bool changeCanBeGivenUp() const override { return false; }
    bool load(const Reader& read, const TextFile::Progress& progress) override {
        return m_pane->LoadFile(read, progress);
    }
    std::string print(const TextFile::Progress& progress) override {
        if (const auto& provider = Shell::services().printer) {
            const std::unique_ptr<QPrinter> printer = provider();
            if (!printer)
                throw PrinterError(PrintQueue::noDefaultPrinter().toStdString());
            m_pane->SelPrint(printer.get(), progress);
            return {};
        }
        // Shows the work as going on while the print service is asked.
        const PrintQueue::Waiting waiting = [&progress] { progress(0, 0); };
        const PrintQueue::Queue queue = PrintQueue::defaultQueue(waiting);
        // A job the queue would refuse is not sent: the service would only drop it.
        if (!queue.accepting)
            throw PrinterError(PrintQueue::refused(queue.name).toStdString());
        // The pages go into a file of our own, which is then handed to the queue as one
        // job whose acceptance is checked: Qt's own hand-over drops the service's answer.
        // Without a .pdf suffix the printer keeps the queue's page set-up and name.
        QTemporaryFile pages(QDir::tempPath() + QStringLiteral("/vemo-print-XXXXXX"));
        if (!pages.open())
            throw PrinterError(Texts::with(Texts::kPrintFailed, queue.name.toStdString()));
        QPrinter printer(QPrinterInfo::printerInfo(queue.name), QPrinter::HighResolution);
        printer.setOutputFileName(pages.fileName());
        printer.setDocName(QString::fromLatin1(AppInfo::Title));
        if (!m_pane->SelPrint(&printer, progress))
            return {};
        PrintQueue::submit(queue.name, pages.fileName(), printer.docName(), waiting);
        return queue.paused ? PrintQueue::waitsInPausedQueue(queue.name).toStdString()
                            : std::string();
    }

private:
    RichTextBox* m_pane;
};

// The button, the file chooser, the messages, the progress window and the other windows
// as the commands see them.
class Form1::Adapters : public Ports::Button,
                        public Ports::FileChooser,
                        public Ports::Messages,
                        public Ports::LongWork,
                        public Ports::Windows {
public:
    explicit Adapters(Form1* form)
        : m_form(form) {}

    std::string caption() const override { return m_form->ui->Command1->text().toStdString(); }
    void setCaption(std::string_view caption) override {
        m_form->ui->Command1->setText(Shell::text(caption));
    }

    std::string open(std::string_view filter, const std::string& start) override {
        CommonDialog& dialog = *m_form->m_commonDialog1;
        dialog.setFilter(Shell::text(filter));
        dialog.ShowOpen(QString::fromStdString(start));
        return dialog.FileName().toStdString();
    }
    std::string save(std::string_view filter, const std::string& start) override {
        CommonDialog& dialog = *m_form->m_commonDialog1;
        dialog.setFilter(Shell::text(filter));
        dialog.ShowSave(QString::fromStdString(start));
        return dialog.FileName().toStdString();
    }
    bool mayReplace(const std::string& path) override {
        return m_form->m_commonDialog1->mayReplace(QString::fromStdString(path));
    }

    void show(std::string_view text) override { Shell::MsgBox(Shell::text(text)); }

    std::unique_ptr<Ports::Work> start(std::string_view label, bool cancellable) override {
        struct Work : Ports::Work {
            Work(QWidget* parent, const QString& label, bool cancellable)
                : work(parent, label, cancellable) {}
            bool step(std::int64_t done, std::int64_t total) override {
                return work.step(done, total);
            }
            ::LongWork work;
        };
        return std::make_unique<Work>(m_form, Shell::text(label), cancellable);
    }

    void showHelp() override { ::Windows::form2().show(); }
    void showAbout() override { ::Windows::about().show(); }
    void endProgram() override { Shell::endProgram(); }

private:
    Form1* m_form;
};

Form1::Form1(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::Form1>())
    , m_commonDialog1(new CommonDialog(this)) {
    ui->setupUi(this);
    m_document = std::make_unique<PaneAdapter>(ui->RichTextBox1);
    m_key = std::make_unique<PaneAdapter>(ui->RichTextBox2);
    m_adapters = std::make_unique<Adapters>(this);
    m_commands = std::make_unique<MainWindow>(
        MainWindow::PortSet{*m_document, *m_key, *m_adapters, *m_adapters, *m_adapters, *m_adapters,
                            *m_adapters, Shell::fileSlot1()});
    Windows::applyDesign(this, ui->centralwidget, Design::kForm1);
    m_commonDialog1->setObjectName(QStringLiteral("CommonDialog1"));

    // A frame with the caption, a close control and a minimise button, and an entry in the
    // task bar: a window without them cannot be found again once something covers it.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    ui->centralwidget->setFont(Windows::designFont());
    setWindowIcon(QIcon(QStringLiteral(":/pictures/vemo.ico")));
    applySystemColours();

    const QPixmap pen(QStringLiteral(":/pictures/pen.png"));
    ui->centralwidget->setCursor(QCursor(pen, 5, 5));
    menuBar()->setCursor(QCursor(pen, 5, 5));
    const QPixmap padlock(QStringLiteral(":/pictures/padlock-32.png"));
    ui->Command1->setCursor(QCursor(padlock, padlock.width() / 2, padlock.height() / 2));

    // The designed client area, below the menu bar, at its designed place on the screen.
    const QRect client = Windows::pixels(Design::kForm1.client);
    const int menuHeight = menuBar()->sizeHint().height();
    setFixedSize(client.width(), client.height() + menuHeight);
    setGeometry(client.x(), client.y() - menuHeight, client.width(), client.height() + menuHeight);
    ui->Command1->setFocus();

    // For screen readers: each pane is named after its heading and labelled by its heading
    // and its hint, which it also says as its description.
    ui->RichTextBox1->setAccessibleName(Shell::text(Texts::kDocumentPaneName));
    ui->RichTextBox1->setAccessibleDescription(Shell::text(Texts::kDocumentHint));
    ui->RichTextBox2->setAccessibleName(Shell::text(Texts::kKeyPaneName));
    ui->RichTextBox2->setAccessibleDescription(Shell::text(Texts::kKeyHint));
    ui->Label1->setBuddy(ui->RichTextBox1);
    ui->lblFile->setBuddy(ui->RichTextBox1);
    ui->Label2->setBuddy(ui->RichTextBox2);
    ui->Label3->setBuddy(ui->RichTextBox2);
    ui->Image1->setAccessibleName(Shell::text(Texts::kLogoName));

    QObject::connect(ui->Command1, &QPushButton::clicked, this,
                     [this] { Shell::guard([this] { m_commands->Command1_Click(); }); });
    // Each menu entry with a command runs it by its name.
    for (QAction* action : findChildren<QAction*>()) {
        const std::string entry = action->objectName().toStdString();
        QObject::connect(action, &QAction::triggered, this, [this, entry] {
            Shell::guard([this, &entry] { m_commands->run(entry); });
        });
    }
}

Form1::~Form1() = default;

RichTextBox* Form1::RichTextBox1() const {
    return ui->RichTextBox1;
}
RichTextBox* Form1::RichTextBox2() const {
    return ui->RichTextBox2;
}

void Form1::applySystemColours() {
    // The hints use the highlight-text colour on the menu-text colour, the narrow strip
    // the button-text colour on the menu-text colour, so they follow the colour scheme.
    const QPalette system = QApplication::palette();
    const QColor menuText = QApplication::palette("QMenu").color(QPalette::WindowText);
    auto paint = [](QWidget* w, const QColor& text, const QColor& back) {
        QPalette p = w->palette();
        p.setColor(QPalette::WindowText, text);
        p.setColor(QPalette::Window, back);
        w->setPalette(p);
    };
    paint(ui->lblFile, system.color(QPalette::HighlightedText), menuText);
    paint(ui->Label3, system.color(QPalette::HighlightedText), menuText);
    paint(ui->Labelfd, system.color(QPalette::ButtonText), menuText);
    paint(ui->Label1, QColor(255, 255, 0), Qt::black);
    paint(ui->Label2, QColor(255, 255, 0), Qt::black);
    paint(ui->Image1, Qt::black, Qt::black);
    QPalette back = palette();
    back.setColor(QPalette::Window, Qt::black);
    ui->centralwidget->setPalette(back);
    ui->centralwidget->setAutoFillBackground(true);
}

void Form1::Form_Load() {}
