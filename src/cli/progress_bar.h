#pragma once
// A one-line progress bar on standard error while many files convert, such as
// "[##########--------------------] 12/36". It is drawn only on a terminal and
// only for several inputs, and it is erased before any other text is printed,
// so the lines of each input stay whole.

#include <cstddef>

namespace kerfwright::cli {

class ProgressBar {
public:
    // Shown only when standard error is a terminal and there are several inputs.
    explicit ProgressBar(std::size_t total);

    // Draws the bar anew for `finished` inputs done.
    void update(std::size_t finished);
    // Erases the bar and leaves the cursor at the start of its line, for
    // other text to take; show() draws it again below that text.
    void hide();
    void show();

private:
    std::size_t total_;
    std::size_t finished_ = 0;
    bool enabled_;
    bool shown_ = false;
};

}  // namespace kerfwright::cli
