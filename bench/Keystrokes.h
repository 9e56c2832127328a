#pragma once

#include <benchmark/benchmark.h>

class QPlainTextEdit;

// A key typed in the middle of the edit's text, painted, once per iteration.
void keystrokes(benchmark::State& state, QPlainTextEdit& edit);
