#pragma once
// Whether a text is a well-formed XML document, checked by an XML parser that
// owes nothing to the code that wrote the text. Shared by the tests and the
// fuzz targets: every SVG they produce goes through it.

#include <string>
#include <string_view>

namespace kerfwright::testing {

// The parser's first complaint, or an empty text for a well-formed document.
// Documents of any size are accepted; nothing is fetched from the network.
std::string xmlWellFormednessError(std::string_view document);

inline bool isWellFormedXml(std::string_view document) { return xmlWellFormednessError(document).empty(); }

}  // namespace kerfwright::testing
