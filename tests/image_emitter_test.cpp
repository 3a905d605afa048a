#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "text/base64.h"
#include "writers/image_emitter.h"
#include "zip_bytes.h"

namespace kerfwright {
namespace {

const StoredBytes kLogo = StoredBytes::plain("abc");

// The element of an image placement with the given name, placement and bytes.
std::optional<std::string> emit(std::string_view name, const Transform2D& placement,
                                const StoredBytes& bytes = kLogo) {
    const DrawnElement element{4, name, DrawnElement::Image{&bytes, 200, 100, placement}};
    std::string out;
    if (!ImageEmitter::appendElement(out, element)) return std::nullopt;
    return out;
}

std::string transformOf(const std::string& element) {
    const auto start = element.find("transform=\"");
    const auto end = element.find('"', start + 11);
    return element.substr(start + 11, end - start - 11);
}

TEST(ImageEmitterTest, Base64PadsTheLastGroup) {
    const auto base64 = [](std::string_view bytes) {
        std::string out;
        text::appendBase64(out, bytes);
        EXPECT_EQ(out.size(), text::base64Length(bytes.size()));
        return out;
    };
    const struct {
        std::string bytes;
        std::string encoded;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"abcd", "YWJjZA=="},
        {std::string("\0", 1), "AA=="},
        {"\xff\xfe\xfd", "//79"},
        {"\xfb\xef\xbe", "++++"},
    };
    for (const auto& c : cases) EXPECT_EQ(base64(c.bytes), c.encoded) << c.bytes;
}

TEST(ImageEmitterTest, WritesTheWholeElement) {
    EXPECT_EQ(emit("Logo", Transform2D::identity()),
              "<image x=\"0\" y=\"0\" width=\"200\" height=\"100\" preserveAspectRatio=\"none\" "
              "transform=\"matrix(1 0 0 1 0 0)\" data-obj-id=\"4\" data-name=\"Logo\" "
              "xlink:href=\"data:image/png;base64,YWJj\" />");
}

TEST(ImageEmitterTest, InflatesAnImageKeptCompressed) {
    const std::string stream = lacgen::deflateRaw("abc", 9, 8);
    EXPECT_EQ(emit("Logo", Transform2D::identity(), StoredBytes{stream, true, 3}), emit("Logo", Transform2D::identity()));
    // A stream that does not give the length recorded for it gives no element.
    EXPECT_FALSE(emit("Logo", Transform2D::identity(), StoredBytes{stream, true, 4}));
}

TEST(ImageEmitterTest, LeavesOutAnEmptyNameAndEscapesOthers) {
    const auto plain = emit("", Transform2D::identity());
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->find("data-name"), std::string::npos);
    EXPECT_NE(plain->find("data-obj-id=\"4\" xlink:href="), std::string::npos);

    const auto escaped = emit("Salt & \"Pepper\"", Transform2D::identity());
    ASSERT_TRUE(escaped);
    EXPECT_NE(escaped->find(" data-name=\"Salt &amp; &quot;Pepper&quot;\" "), std::string::npos);
}

TEST(ImageEmitterTest, MatrixNumbersAreRoundedToSixPlacesThenWrittenAsG) {
    const double halfTurnCos = std::cos(std::numbers::pi);
    const double halfTurnSin = std::sin(std::numbers::pi);
    const struct {
        Transform2D transform;
        std::string expected;
    } cases[] = {
        {Transform2D::identity(), "matrix(1 0 0 1 0 0)"},
        {{1, 0, 0, 1, 150.25, 20}, "matrix(1 0 0 1 150.25 20)"},
        {{halfTurnCos, halfTurnSin, -halfTurnSin, halfTurnCos, 0, 0}, "matrix(-1 0 -0 -1 0 0)"},
        {{1, 0, 0, 1, 12.3456789, 1234567}, "matrix(1 0 0 1 12.3457 1.23457e+06)"},
        {{0.1, 0, 0, 0.1, -0.0000004, 0.0000012}, "matrix(0.1 0 0 0.1 -0 1e-06)"},
    };
    for (const auto& c : cases) {
        const auto element = emit("", c.transform);
        ASSERT_TRUE(element);
        EXPECT_EQ(transformOf(*element), c.expected);
    }
}

}  // namespace
}  // namespace kerfwright
