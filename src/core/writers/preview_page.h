#pragma once
// The HTML page around a conversion's SVG text that the window's preview
// renders: the drawing centred on a light checkerboard, at most 96 % of the
// view in each direction. The SVG text goes in unchanged.

#include <string>
#include <string_view>

namespace kerfwright::PreviewPage {

// Everything before the SVG text, seven lines each ended by a line feed.
extern const std::string_view kHeader;
// Everything after it: a line feed and the closing tags, nothing more.
extern const std::string_view kTail;

std::string html(std::string_view svg);

}  // namespace kerfwright::PreviewPage
