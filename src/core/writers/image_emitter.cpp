#include "writers/image_emitter.h"

#include <charconv>
#include <cmath>
#include <cstdint>

#include "text/number_text.h"
#include "writers/svg_format.h"

namespace kerfwright::ImageEmitter {
namespace {

constexpr char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr std::string_view kDataAddressPrefix = "data:image/png;base64,";
// Everything of the element except the numbers, the name and the Base64 text,
// with room to spare for the numbers.
constexpr std::size_t kElementOverhead = 320;

std::size_t base64Length(std::size_t byteCount) { return (byteCount + 2) / 3 * 4; }

void appendBase64(std::string& out, std::string_view bytes) {
    auto byteAt = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t group = (byteAt(i) << 16) | (byteAt(i + 1) << 8) | byteAt(i + 2);
        out += kBase64Alphabet[(group >> 18) & 0x3F];
        out += kBase64Alphabet[(group >> 12) & 0x3F];
        out += kBase64Alphabet[(group >> 6) & 0x3F];
        out += kBase64Alphabet[group & 0x3F];
    }
    const std::size_t remaining = bytes.size() - i;
    if (remaining == 0) return;
    const std::uint32_t group = (byteAt(i) << 16) | (remaining == 2 ? byteAt(i + 1) << 8 : 0);
    out += kBase64Alphabet[(group >> 18) & 0x3F];
    out += kBase64Alphabet[(group >> 12) & 0x3F];
    out += remaining == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
    out += '=';
}

// Matrix entries are rounded to six places and then written as "%g" (no
// whole-number form), so a tiny negative rotation term stays "-0".
void appendMatrixEntry(std::string& out, double value) {
    text::appendPrintfG(out, std::round(value * 1000000.0) / 1000000.0);
}

void appendMatrix(std::string& out, const Transform2D& t) {
    out += "matrix(";
    const double entries[] = {t.a, t.b, t.c, t.d, t.tx, t.ty};
    for (std::size_t i = 0; i < 6; ++i) {
        if (i > 0) out += ' ';
        appendMatrixEntry(out, entries[i]);
    }
    out += ')';
}

std::string imageElement(const LACObject& object, const LACObject::RasterImage& image, const Transform2D& transform,
                         std::string_view bytes) {
    std::string out;
    out.reserve(kElementOverhead + object.name.size() * 6 + base64Length(bytes.size()));
    out += "<image x=\"0\" y=\"0\" width=\"";
    text::appendInteger(out, image.width);
    out += "\" height=\"";
    text::appendInteger(out, image.height);
    out += "\" preserveAspectRatio=\"none\" transform=\"";
    appendMatrix(out, transform);
    out += '"';
    SVGFormat::appendObjectAttributes(out, object.id, object.name);
    out += " xlink:href=\"";
    out += kDataAddressPrefix;
    appendBase64(out, bytes);
    out += "\" />";
    return out;
}

}  // namespace

std::string base64(std::string_view bytes) {
    std::string out;
    out.reserve(base64Length(bytes.size()));
    appendBase64(out, bytes);
    return out;
}

std::optional<std::string> emit(const FlattenedNode& node, const std::map<std::string, StoredBytes>& imageData) {
    if (node.object == nullptr) return std::nullopt;
    const auto* image = std::get_if<LACObject::RasterImage>(&node.object->kind);
    if (image == nullptr || imageData.empty()) return std::nullopt;
    const auto stored = imageData.find(image->fileName);
    if (stored == imageData.end()) return std::nullopt;
    if (!stored->second.deflated) return imageElement(*node.object, *image, node.transform, stored->second.bytes);
    // Inflated for this element only, so that at most one image is ever held whole.
    const std::optional<std::string> bytes = inflated(stored->second);
    if (!bytes) return std::nullopt;
    return imageElement(*node.object, *image, node.transform, *bytes);
}

}  // namespace kerfwright::ImageEmitter
