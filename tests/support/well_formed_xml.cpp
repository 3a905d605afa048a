#include "support/well_formed_xml.h"

#include <libxml/parser.h>
#include <libxml/parserInternals.h>

#include <climits>
#include <cstring>

namespace kerfwright::testing {
namespace {

// Keeps the first error's message; libxml2 would print it otherwise.
void keepFirstError(void* context, xmlErrorPtr error) {
    auto* message = static_cast<std::string*>(context);
    if (message->empty() && error != nullptr && error->message != nullptr) *message = error->message;
}

}  // namespace

std::string xmlWellFormednessError(std::string_view document) {
    if (document.size() > static_cast<std::size_t>(INT_MAX)) return "document too large for the XML parser";
    xmlParserCtxtPtr parser = xmlCreateMemoryParserCtxt(document.data(), static_cast<int>(document.size()));
    if (parser == nullptr) return "the XML parser could not start";
    std::string message;
    xmlSetStructuredErrorFunc(&message, keepFirstError);
    // Only well-formedness is wanted: no tree is built, so a document of a
    // gigabyte costs no more than its own size.
    std::memset(parser->sax, 0, sizeof(xmlSAXHandler));
    parser->sax->initialized = XML_SAX2_MAGIC;
    xmlCtxtUseOptions(parser, XML_PARSE_HUGE | XML_PARSE_NONET | XML_PARSE_NOWARNING);
    const int result = xmlParseDocument(parser);
    const bool wellFormed = result == 0 && parser->wellFormed != 0;
    xmlFreeParserCtxt(parser);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (wellFormed) return {};
    return message.empty() ? "not well-formed" : message;
}

}  // namespace kerfwright::testing
