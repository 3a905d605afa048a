#include "writers/image_emitter.h"

#include <optional>

#include "text/base64.h"
#include "text/number_text.h"
#include "text/svg_format.h"

namespace kerfwright::ImageEmitter {
namespace {


// Everything of the element except the name and the Base64 text, with room
// to spare for the numbers.
constexpr std::uint64_t kElementOverhead = 320;

void appendMatrix(std::string& out, const Transform2D& t) {
    out += "matrix(";
    const double entries[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0) out += ' ';
        SVGFormat::appendMatrixEntry(out, entries[i]);
    }
    out += ')';
}

void appendImageElement(std::string& out, const DrawnElement& element, const DrawnElement::Image& image,
                        std::string_view bytes) {
    out += "<image x=\"0\" y=\"0\" width=\"";
    text::appendInteger(out, image.width);
    out += "\" height=\"";
    text::appendInteger(out, image.height);
    out += "\" preserveAspectRatio=\"none\" transform=\"";
    appendMatrix(out, image.placement);
    out += '"';
    SVGFormat::appendObjectAttributes(out, element.objId, element.name);
    out += " xlink:href=\"data:";
    out += image.mediaType;
    out += ";base64,";
    text::appendBase64(out, bytes);
    out += "\" />";
}

}  // namespace

std::uint64_t expectedLength(const DrawnElement::Image& image) {
    return kElementOverhead + text::base64Length(image.bytes->size);
}

bool appendElement(std::string& out, const DrawnElement& element) {
    const auto& image = std::get<DrawnElement::Image>(element.kind);
    const StoredBytes& stored = *image.bytes;
    if (!stored.deflated) {
        appendImageElement(out, element, image, stored.bytes);
        return true;
    }
    // Inflated for this element only, so that at most one image is ever held whole.
    const std::optional<std::string> bytes = inflated(stored);
    if (!bytes) return false;
    appendImageElement(out, element, image, *bytes);
    return true;
}

}  // namespace kerfwright::ImageEmitter
