// The one way a set-up failure ends the process, after its report is written.
// Any thread; it does not return.
#pragma once

// Flushes both standard streams, shuts SDL down (a full-screen window gives
// the display its mode back) and exits with `code`.
[[noreturn]] void endProcessAfterFailure(int code);

// The report of a failure the process cannot go on after: first everything
// printed before it is written out (standard output's buffer and, in the
// show, the console's queue, for at most kReportDrainMs), so that on a
// terminal the report is the last line and never stands above progress lines
// printed before it; then the report (printf-style) on standard error; then
// endProcessAfterFailure(code).
[[noreturn]] void endProcessWithReport(int code, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
constexpr int kReportDrainMs = 2000;

// Only the first half of that: what was printed so far is written out. For
// error lines that do not end the process but must keep their place too.
void writeOutPrintedLines();
