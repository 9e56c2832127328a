// Loading a 100 MiB document and pressing Cripta on it, against a bare QPlainTextEdit
// given the same text with setPlainText in the same run. Also the peak memory of each,
// as a multiple of the document's size, and a keystroke in the middle of a 10 MiB
// document against one in a bare QPlainTextEdit. Offscreen.

#include "bench/Keystrokes.h"
#include "bench/Prose.h"
#include "bench/RatioReport.h"
#include "core/TextFile.h"
#include "qt/Form1.h"
#include "qt/Windows.h"
#include "qt/pane/RichTextBox.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kSize = qsizetype(100) << 20;

const QByteArray& hundredMiB() {
    static const QByteArray text = prose<QByteArray>(kSize);
    return text;
}

// The peak resident size starts again from the present one.
void resetPeak() {
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}

qint64 statusKiB(const char* field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLongLong();
    return 0;
}

qint64& idleKiB() {
    static qint64 kib = 0;
    return kib;
}

// Runs `work` once per iteration. Reports the program's peak memory since the benchmark
// began, set-up included, over what the program took before any document existed.
template <typename Work> void measure(benchmark::State& state, Work&& work) {
    for (auto _ : state)
        work();
    state.counters["peak_x_size"] = double(statusKiB("VmHWM:") - idleKiB()) * 1024 / double(kSize);
}

template <typename W> void prepare(W& w) {
    w.resize(281, 433);
    w.show();
    QCoreApplication::processEvents();
}

void BM_baseline_setPlainText(benchmark::State& state) {
    resetPeak();
    const QString text = QString::fromLatin1(hundredMiB());
    QPlainTextEdit edit;
    prepare(edit);
    measure(state, [&] {
        edit.setPlainText(text);
        edit.repaint();
    });
}

void BM_load(benchmark::State& state) {
    resetPeak();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    TextFile::save(path.toStdString(), hundredMiB().toStdString());
    RichTextBox pane;
    prepare(pane);
    measure(state, [&] {
        // As the load command does: the file the slot holds, read into the pane.
        const TextFile::OpenFile file = TextFile::openForReading(path.toStdString());
        pane.LoadFile([&file](const TextFile::Storage& storage) {
            return TextFile::read(file, TextFile::kMaxFileSize, storage);
        });
        pane.repaint();
    });
}

void BM_cripta(benchmark::State& state) {
    resetPeak();
    Form1* form = Windows::form1().show();
    form->RichTextBox2()->setText("chiave segreta");
    form->RichTextBox1()->setText(hundredMiB());
    // Edited, as a user would: Cripta then reads the document itself.
    form->RichTextBox1()->moveCursor(QTextCursor::End);
    form->RichTextBox1()->insertPlainText(QStringLiteral("."));
    auto* button = form->findChild<QPushButton*>(QStringLiteral("Command1"));
    QCoreApplication::processEvents();
    measure(state, [&] {
        button->click();
        form->RichTextBox1()->repaint();
    });
    Windows::form1().discard();
}

QByteArray tenMiB() {
    return hundredMiB().first(kSize / 10);
}

void BM_baseline_keystroke(benchmark::State& state) {
    QPlainTextEdit edit;
    prepare(edit);
    edit.setPlainText(QString::fromLatin1(tenMiB()));
    keystrokes(state, edit);
}

void BM_keystroke(benchmark::State& state) {
    RichTextBox pane;
    prepare(pane);
    pane.setText(tenMiB());
    keystrokes(state, pane);
}

} // namespace

BENCHMARK(BM_baseline_setPlainText)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_load)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_load)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_cripta)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_baseline_keystroke)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_keystroke)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    Windows::installFontSubstitutions();
    // The benchmark's own copy of the text is not the program's.
    hundredMiB();
    idleKiB() = statusKiB("VmRSS:");
    const std::string base = "BM_baseline_setPlainText/iterations:2";
    const std::string load = "BM_load/iterations:2";
    const std::string cripta = "BM_cripta/iterations:2";
    return runWithRatios(
        argc, argv,
        {
            {"Load 100 MiB + first paint, time vs baseline", load, base, 0.4, false},
            {"Cripta on 100 MiB (read, transform, write, first paint) vs baseline", cripta, base,
             0.6, false},
            {"Load 100 MiB into an empty pane, peak memory x document size", "BM_load/iterations:1",
             "", 4.0, false, "peak_x_size"},
            {"Load 100 MiB over 100 MiB, peak memory x document size", load, "", 4.0, false,
             "peak_x_size"},
            {"Cripta on 100 MiB, peak memory x document size", cripta, "", 4.0, false,
             "peak_x_size"},
            {"keystroke mid 10 MiB document, time vs bare pane's keystroke", "BM_keystroke",
             "BM_baseline_keystroke", 3.0, false},
        });
}
