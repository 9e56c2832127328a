#include "qt/Form1.h"

#include "ui_Form1.h"

#include "core/AppInfo.h"
#include "core/Design.h"
#include "core/Errors.h"
#include "core/TextFile.h"
#include "crypt/Crypt.h"
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

#include <new>
#include <optional>
#include <stdexcept>

namespace {

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// `progress` told how far a share of the work, from `from` thousandths on and `part`
// thousandths long, has gone.
TextFile::Progress share(const TextFile::Progress& progress, qint64 from, qint64 part) {
    return [progress, from, part](qint64 done, qint64 total) {
        return !progress || progress(from + (total > 0 ? done * part / total : part), 1000);
    };
}

} // namespace

Form1::Form1(QWidget* parent)
    : QMainWindow(parent)
    , ui(std::make_unique<Ui::Form1>())
    , m_commonDialog1(new CommonDialog(this)) {
    ui->setupUi(this);
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

    Shell::connectHandler(ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    const std::pair<QAction*, void (Form1::*)()> commands[] = {
        {ui->pubkey, &Form1::pubkey_Click},
        {ui->docdacriptare, &Form1::docdacriptare_Click},
        {ui->docriptato, &Form1::docriptato_Click},
        {ui->loadpubkey, &Form1::loadpubkey_Click},
        {ui->docdacrypt, &Form1::docdacrypt_Click},
        {ui->doccrypt, &Form1::doccrypt_Click},
        {ui->printcrdecr, &Form1::printcrdecr_Click},
        {ui->printkey, &Form1::printkey_Click},
        {ui->exit, &Form1::exit_Click},
        {ui->helponline2, &Form1::helponline2_Click},
        {ui->about, &Form1::about_Click},
        {ui->specialt, &Form1::specialt_Click},
    };
    for (const auto& [action, handler] : commands)
        Shell::connectHandler(action, &QAction::triggered, this, handler);
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

void Form1::Command1_Click() {
    const bool encrypting = ui->Command1->text() == Shell::text(Texts::kCripta);
    bool keyMissing = false;
    {
        LongWork work(this, Shell::text(encrypting ? Texts::kEncrypting : Texts::kDecrypting),
                      false);
        const QByteArray key = ui->RichTextBox2->Text();
        const std::string_view keyBytes(key.constData(), std::size_t(key.size()));
        try {
            // In place, piece by piece: the document is never held twice.
            ui->RichTextBox1->changeText(
                [keyBytes](const char* in, char* out, qsizetype from, qsizetype n) {
                    Crypt::CryptInto(std::string_view(in, std::size_t(n)), keyBytes, out,
                                     std::size_t(from));
                },
                work.progress());
        } catch (const std::invalid_argument&) {
            keyMissing = true;
        }
        // A transform refused (no key, no memory) leaves the caption as it was.
        if (!keyMissing)
            ui->Command1->setText(Shell::text(encrypting ? Texts::kDecripta : Texts::kCripta));
    }
    if (keyMissing)
        Shell::MsgBox(Shell::text(Texts::kKeyNeeded));
}

void Form1::loadInto(RichTextBox* pane, const QString& filter, const QString& message) {
    Shell::fileSlot1().close();
    m_commonDialog1->setFilter(filter);
    m_commonDialog1->ShowOpen();
    const QString name = m_commonDialog1->FileName();
    if (name.isEmpty())
        return;
    try {
        LongWork work(this, Shell::text(Texts::kLoading).arg(shown(name)), true);
        Shell::fileSlot1().openForReading(name.toStdString());
        // Reading is the first tenth of the work, showing the text the rest. Given up: the
        // pane keeps what it had.
        QByteArray content;
        const std::optional<std::size_t> size = TextFile::read(
            Shell::fileSlot1().file(), TextFile::kMaxFileSize,
            [&content](std::size_t n) {
                content.resize(qsizetype(n));
                return content.data();
            },
            share(work.progress(), 0, 100));
        if (!size)
            return;
        content.truncate(qsizetype(*size));
        if (!pane->LoadFile(content, share(work.progress(), 100, 900)))
            return;
    } catch (const std::bad_alloc&) {
        // A file too large for the memory is not held either.
        Shell::fileSlot1().close();
        throw;
    }
    if (!message.isEmpty())
        Shell::MsgBox(message);
}

void Form1::loadpubkey_Click() {
    loadInto(ui->RichTextBox2, Shell::text(Texts::kKeyFilter), Shell::text(Texts::kKeyLoaded));
}

void Form1::docdacrypt_Click() {
    loadInto(ui->RichTextBox1, Shell::text(Texts::kPlainFilter), Shell::text(Texts::kPlainLoaded));
}

void Form1::doccrypt_Click() {
    loadInto(ui->RichTextBox1, Shell::text(Texts::kCryptedFilter), QString());
}

void Form1::saveFrom(RichTextBox* pane, const QString& filter, const QString& proposal,
                     const QString& message, QString& saved) {
    // Read first: a character that cannot be saved is reported before a file is chosen.
    QByteArray bytes;
    {
        const LongWork work(this, Shell::text(Texts::kPreparing), false);
        bytes = pane->Text();
    }
    m_commonDialog1->setFilter(filter);
    m_commonDialog1->ShowSave(saved.isEmpty() ? proposal : saved);
    const QString name = m_commonDialog1->FileName();
    if (name.isEmpty())
        return;
    {
        LongWork work(this, Shell::text(Texts::kSaving).arg(shown(name)), true);
        // Given up: the file that was there is left as it was.
        if (!TextFile::save(name.toStdString(),
                            std::string_view(bytes.constData(), std::size_t(bytes.size())),
                            work.progress()))
            return;
    }
    saved = name;
    Shell::MsgBox(message.arg(shown(name)));
}

void Form1::pubkey_Click() {
    Shell::fileSlot1().close();
    saveFrom(ui->RichTextBox2, Shell::text(Texts::kKeyFilter), Shell::text(Texts::kKeyName),
             Shell::text(Texts::kKeySaved), m_savedKey);
}

void Form1::docdacriptare_Click() {
    saveFrom(ui->RichTextBox1, Shell::text(Texts::kPlainFilter), Shell::text(Texts::kPlainName),
             Shell::text(Texts::kPlainSaved), m_savedPlain);
}

void Form1::docriptato_Click() {
    saveFrom(ui->RichTextBox1, Shell::text(Texts::kCryptedFilter), Shell::text(Texts::kCryptedName),
             Shell::text(Texts::kCryptedSaved), m_savedCrypted);
}

void Form1::printPane(RichTextBox* pane) {
    // The busy pointer at once, before the print service is asked anything; a long print
    // shows how far it is and can be given up.
    std::optional<QString> pausedQueue;
    {
        LongWork work(this, Shell::text(Texts::kPrinting), true);
        if (const auto& provider = Shell::services().printer) {
            const std::unique_ptr<QPrinter> printer = provider();
            if (!printer)
                throw PrinterError(PrintQueue::noDefaultPrinter().toStdString());
            pane->SelPrint(printer.get(), work.progress());
            return;
        }
        const PrintQueue::Waiting waiting = [&work] { work.step(0, 0); };
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
        if (!pane->SelPrint(&printer, work.progress()))
            return;
        PrintQueue::submit(queue.name, pages.fileName(), printer.docName(), waiting);
        if (queue.paused)
            pausedQueue = queue.name;
    }
    if (pausedQueue)
        Shell::MsgBox(PrintQueue::waitsInPausedQueue(*pausedQueue));
}

void Form1::printcrdecr_Click() {
    printPane(ui->RichTextBox1);
}

void Form1::printkey_Click() {
    printPane(ui->RichTextBox2);
}

void Form1::exit_Click() {
    Shell::endProgram();
}

void Form1::helponline2_Click() {
    Windows::form2().show();
}

void Form1::about_Click() {
    Windows::about().show();
}

void Form1::specialt_Click() {
    Shell::MsgBox(Shell::text(Texts::kThanks));
}
