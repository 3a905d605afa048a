#include "progress_bar.h"

#include <unistd.h>

#include <iostream>
#include <string>

#include "text/number_text.h"

namespace kerfwright::cli {
namespace {

// Characters between the brackets: with the counts the line stays well
// inside the narrowest usual terminal of 80 columns.
constexpr std::size_t kBarWidth = 30;
// Back to the start of the line, then erase to its end.
constexpr std::string_view kEraseLine = "\r\033[K";

void appendCount(std::string& out, std::size_t count) { text::appendInteger(out, static_cast<std::int64_t>(count)); }

std::string barText(std::size_t finished, std::size_t total) {
    const std::size_t filled = total == 0 ? kBarWidth : kBarWidth * finished / total;
    std::string out = "[";
    out.append(filled, '#');
    out.append(kBarWidth - filled, '-');
    out += "] ";
    appendCount(out, finished);
    out += '/';
    appendCount(out, total);
    return out;
}

// A bar redrawn in place needs a terminal. Compiled for Node, the program's
// standard error is the runtime's console, which passes on whole lines only.
bool standardErrorRedraws() {
#ifdef __EMSCRIPTEN__
    return false;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

}  // namespace

ProgressBar::ProgressBar(std::size_t total) : total_(total), enabled_(total > 1 && standardErrorRedraws()) {}

void ProgressBar::update(std::size_t finished) {
    finished_ = finished;
    show();
}

void ProgressBar::show() {
    if (!enabled_) return;
    // Writing to std::cerr first flushes std::cout, so no pending output of
    // an input can land behind the bar.
    std::cerr << kEraseLine << barText(finished_, total_) << std::flush;
    shown_ = true;
}

void ProgressBar::hide() {
    if (!shown_) return;
    std::cerr << kEraseLine << std::flush;
    shown_ = false;
}

}  // namespace kerfwright::cli
