// The text pane and the encrypt/decrypt button on documents of many megabytes, against a
// bare QPlainTextEdit holding a text of the same size in 80-character lines. Offscreen.

#include "bench/Keystrokes.h"
#include "bench/Prose.h"
#include "bench/RatioReport.h"
#include "crypt/Crypt.h"
#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/pane/RichTextBox.h"

#include <QApplication>
#include <QDir>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kMiB = 1 << 20;

QByteArray oneLine(qsizetype size) {
    return prose<QByteArray>(size).replace('\n', ' ');
}

template <typename W> void prepare(W& w) {
    w.resize(281, 433);
    w.show();
    QCoreApplication::processEvents();
}

void BM_baseline_setPlainText(benchmark::State& state) {
    const QString text = QString::fromLatin1(prose<QByteArray>(state.range(0) * kMiB));
    QPlainTextEdit edit;
    prepare(edit);
    for (auto _ : state) {
        edit.setPlainText(text);
        edit.repaint();
    }
}

void paneWrite(benchmark::State& state, const QByteArray& text) {
    RichTextBox pane;
    prepare(pane);
    for (auto _ : state) {
        pane.setText(text);
        pane.repaint();
    }
}

void BM_pane_write_prose(benchmark::State& state) {
    paneWrite(state, prose<QByteArray>(state.range(0) * kMiB));
}

void BM_pane_write_oneline(benchmark::State& state) {
    paneWrite(state, oneLine(state.range(0) * kMiB));
}

void BM_pane_read(benchmark::State& state) {
    RichTextBox pane;
    prepare(pane);
    pane.setText(prose<QByteArray>(state.range(0) * kMiB));
    pane.moveCursor(QTextCursor::End);
    for (auto _ : state) {
        state.PauseTiming();
        // An edit, so that the read goes to the document rather than the written text.
        pane.insertPlainText(QStringLiteral("x"));
        state.ResumeTiming();
        QByteArray text = pane.Text();
        benchmark::DoNotOptimize(text.data());
    }
}

void BM_baseline_keystroke(benchmark::State& state) {
    QPlainTextEdit edit;
    prepare(edit);
    edit.setPlainText(QString::fromLatin1(prose<QByteArray>(10 * kMiB)));
    keystrokes(state, edit);
}

void BM_pane_keystroke_oneline(benchmark::State& state) {
    RichTextBox pane;
    prepare(pane);
    pane.setText(oneLine(10 * kMiB));
    keystrokes(state, pane);
}

void BM_click_crypt(benchmark::State& state) {
    Form1* form = Windows::form1().show();
    form->RichTextBox2()->setText("chiave segreta");
    form->RichTextBox1()->setText(prose<QByteArray>(10 * kMiB));
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    for (auto _ : state) {
        button->click();
        form->RichTextBox1()->repaint();
    }
    Windows::form1().discard();
}

void BM_pane_write_result(benchmark::State& state) {
    const QByteArray text = prose<QByteArray>(10 * kMiB);
    const std::string once = Crypt::CryptText(text.toStdString(), "chiave segreta");
    const QByteArray results[] = {QByteArray::fromStdString(once), text};
    RichTextBox pane;
    prepare(pane);
    int i = 0;
    for (auto _ : state) {
        pane.setText(results[i++ % 2]);
        pane.repaint();
    }
}

QByteArray ciphertext(qsizetype size) {
    const std::string c = Crypt::CryptText(prose<std::string>(size), "chiave segreta");
    return QByteArray::fromStdString(c);
}

void toPdf(QPrinter& printer) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QDir::temp().filePath(QStringLiteral("vemo-bench-print.pdf")));
}

void BM_print_pane(benchmark::State& state) {
    RichTextBox pane;
    pane.setText(ciphertext(state.range(0) * kMiB));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        toPdf(printer);
        pane.SelPrint(&printer);
    }
}

// The same text, control codes and all, printed by a bare QTextDocument.
void BM_baseline_print_document(benchmark::State& state) {
    QTextDocument doc;
    doc.setDefaultFont(RichTextBox().font());
    doc.setPlainText(QString::fromLatin1(ciphertext(state.range(0) * kMiB)));
    for (auto _ : state) {
        QPrinter printer(QPrinter::HighResolution);
        toPdf(printer);
        doc.print(&printer);
    }
}

} // namespace

BENCHMARK(BM_baseline_setPlainText)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pane_write_prose)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pane_write_oneline)->Arg(1)->Arg(4)->Arg(10)->Arg(16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pane_read)->Arg(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_baseline_keystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_pane_keystroke_oneline)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_click_crypt)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_pane_write_result)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_print_pane)->Arg(1)->Arg(5)->Arg(30)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_baseline_print_document)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    Windows::installFontSubstitutions();
    const std::string base = "BM_baseline_setPlainText/10";
    return runWithRatios(
        argc, argv,
        {
            {"Text write + first paint, 10 MiB prose, time vs baseline", "BM_pane_write_prose/10",
             base, 1.5, false},
            {"Text write + first paint, 10 MiB one line, time vs baseline",
             "BM_pane_write_oneline/10", base, 2.0, false},
            {"Text read, 10 MiB, time vs baseline", "BM_pane_read/10", base, 0.5, false},
            {"keystroke mid 10 MiB one line, time vs baseline keystroke",
             "BM_pane_keystroke_oneline", "BM_baseline_keystroke", 3.0, false},
            {"one-line write, 16 MiB time vs 1 MiB time", "BM_pane_write_oneline/16",
             "BM_pane_write_oneline/1", 20.0, false},
            {"click on 10 MiB document vs pane's own Text write", "BM_click_crypt",
             "BM_pane_write_result", 1.3, false},
            {"print 5 MiB ciphertext, time vs printing 1 MiB", "BM_print_pane/5/iterations:1",
             "BM_print_pane/1/iterations:1", 6.0, false},
            {"print 30 MiB ciphertext, time vs printing 1 MiB", "BM_print_pane/30/iterations:1",
             "BM_print_pane/1/iterations:1", 36.0, false},
            {"print 5 MiB ciphertext, time vs a bare QTextDocument", "BM_print_pane/5/iterations:1",
             "BM_baseline_print_document/5/iterations:1", 2.0, false},
        });
}
