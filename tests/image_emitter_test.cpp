#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "writers/image_emitter.h"
#include "zip_bytes.h"

namespace kerfwright {
namespace {

const std::map<std::string, StoredBytes> kImages = {{"logo.png", StoredBytes::plain("abc")}};

LACObject rasterObject(std::string fileName, std::string name = "") {
    LACObject object;
    object.id = 4;
    object.name = std::move(name);
    object.type = LACObjectType::rasterImage;
    object.rawType = "RasterImage";
    object.kind = LACObject::RasterImage{std::move(fileName), 200, 100};
    return object;
}

std::string transformOf(const std::string& element) {
    const auto start = element.find("transform=\"");
    const auto end = element.find('"', start + 11);
    return element.substr(start + 11, end - start - 11);
}

TEST(ImageEmitterTest, Base64PadsTheLastGroup) {
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
    for (const auto& c : cases) EXPECT_EQ(ImageEmitter::base64(c.bytes), c.encoded) << c.bytes;
}

TEST(ImageEmitterTest, WritesTheWholeElement) {
    const LACObject object = rasterObject("logo.png", "Logo");
    const FlattenedNode node{&object, Transform2D::identity(), nullptr};
    EXPECT_EQ(ImageEmitter::emit(node, kImages),
              "<image x=\"0\" y=\"0\" width=\"200\" height=\"100\" preserveAspectRatio=\"none\" "
              "transform=\"matrix(1 0 0 1 0 0)\" data-obj-id=\"4\" data-name=\"Logo\" "
              "xlink:href=\"data:image/png;base64,YWJj\" />");
}

TEST(ImageEmitterTest, InflatesAnImageKeptCompressed) {
    const LACObject object = rasterObject("logo.png", "Logo");
    const FlattenedNode node{&object, Transform2D::identity(), nullptr};
    const std::string stream = lacgen::deflateRaw("abc", 9, 8);
    EXPECT_EQ(ImageEmitter::emit(node, {{"logo.png", StoredBytes{stream, true, 3}}}), ImageEmitter::emit(node, kImages));
    // A stream that does not give the length recorded for it gives no element.
    EXPECT_FALSE(ImageEmitter::emit(node, {{"logo.png", StoredBytes{stream, true, 4}}}));
}

TEST(ImageEmitterTest, LeavesOutAnEmptyNameAndEscapesOthers) {
    const LACObject unnamed = rasterObject("logo.png");
    const auto plain = ImageEmitter::emit({&unnamed, Transform2D::identity(), nullptr}, kImages);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->find("data-name"), std::string::npos);
    EXPECT_NE(plain->find("data-obj-id=\"4\" xlink:href="), std::string::npos);

    const LACObject named = rasterObject("logo.png", "Salt & \"Pepper\"");
    const auto escaped = ImageEmitter::emit({&named, Transform2D::identity(), nullptr}, kImages);
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
        {{std::nan(""), 0, 0, 1, 0, 0}, "matrix(nan 0 0 1 0 0)"},
    };
    const LACObject object = rasterObject("logo.png");
    for (const auto& c : cases) {
        const auto element = ImageEmitter::emit({&object, c.transform, nullptr}, kImages);
        ASSERT_TRUE(element);
        EXPECT_EQ(transformOf(*element), c.expected);
    }
}

TEST(ImageEmitterTest, GivesNothingWithoutBytes) {
    const LACObject missing = rasterObject("other.png");
    EXPECT_FALSE(ImageEmitter::emit({&missing, Transform2D::identity(), nullptr}, kImages));

    const LACObject folderPart = rasterObject("2D/Objects/logo.png");
    EXPECT_FALSE(ImageEmitter::emit({&folderPart, Transform2D::identity(), nullptr}, kImages));

    const LACObject otherCase = rasterObject("Logo.png");
    EXPECT_FALSE(ImageEmitter::emit({&otherCase, Transform2D::identity(), nullptr}, kImages));

    const LACObject present = rasterObject("logo.png");
    EXPECT_FALSE(ImageEmitter::emit({&present, Transform2D::identity(), nullptr}, {}));
}

TEST(ImageEmitterTest, GivesNothingForVectorObjects) {
    LACObject path;
    path.kind = LACObject::Path{"M 0 0 L 1 1", false};
    LACObject ellipse;
    ellipse.kind = LACObject::Ellipse{0, 0, 1, 1};
    LACObject arc;
    arc.kind = LACObject::CenterPointArc{{1, 0}, {0, 1}, {-1, 0}, 0};
    for (const LACObject* object : {&path, &ellipse, &arc}) {
        EXPECT_FALSE(ImageEmitter::emit({object, Transform2D::identity(), nullptr}, kImages));
    }
}

}  // namespace
}  // namespace kerfwright
