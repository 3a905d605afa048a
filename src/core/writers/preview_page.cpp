#include "writers/preview_page.h"

namespace kerfwright::PreviewPage {

const std::string_view kHeader =
    "<!doctype html>\n"
    "<html><head><meta charset=\"utf-8\"><style>\n"
    "html, body { margin: 0; padding: 0; height: 100%; background:\n"
    "  repeating-conic-gradient(#f3f3f3 0% 25%, #fff 0% 50%) 50% / 16px 16px; }\n"
    "body { display: flex; align-items: center; justify-content: center; }\n"
    "svg { max-width: 96%; max-height: 96%; }\n"
    "</style></head><body>\n";

const std::string_view kTail = "\n</body></html>";

std::string html(std::string_view svg) {
    std::string page;
    page.reserve(kHeader.size() + svg.size() + kTail.size());
    page.append(kHeader);
    page.append(svg);
    page.append(kTail);
    return page;
}

}  // namespace kerfwright::PreviewPage
