#include "bench/Keystrokes.h"

#include <QPlainTextEdit>
#include <QTest>

void keystrokes(benchmark::State& state, QPlainTextEdit& edit) {
    QTextCursor middle = edit.textCursor();
    middle.setPosition(edit.document()->characterCount() / 2);
    edit.setTextCursor(middle);
    edit.ensureCursorVisible();
    edit.repaint();
    for (auto _ : state) {
        QTest::keyClick(&edit, Qt::Key_A);
        edit.repaint();
    }
}
