// The bounds of input_limits.h, each at its edge: nothing changes below it,
// and past it the input is refused or cut short with the promised text.

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <variant>
#include <vector>

#include "values/input_limits.h"
#include "reading/zip_archive.h"
#include "scene/flattener.h"
#include "support/archive_recipe.h"
#include "support/well_formed_xml.h"
#include "writers/svg_writer.h"

namespace kerfwright {
namespace {

constexpr std::string_view kIdentity = "1 0 0 1 0 0";

LACObject objectOf(std::int64_t id, std::string rawType, LACObject::Kind kind) {
    LACObject object;
    object.id = id;
    object.rawType = std::move(rawType);
    object.kind = std::move(kind);
    return object;
}

LACObject pathObject(std::int64_t id, std::string data) {
    return objectOf(id, "PathObject", LACObject::Path{std::move(data), false});
}

LACCanvas canvasPlacing(LACObject object, std::size_t times, std::string transform = std::string(kIdentity)) {
    LACCanvas canvas;
    canvas.components.assign(times, LACComponent{object.id, std::move(transform)});
    canvas.objects.push_back(std::move(object));
    return canvas;
}

LACDocument documentOf(std::vector<LACCanvas> canvases) {
    LACDocument document;
    document.canvases = std::move(canvases);
    return document;
}

std::size_t countOf(const std::string& text, const std::string& needle) {
    std::size_t count = 0;
    for (auto at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++count;
    return count;
}

// Archive extraction -------------------------------------------------------

TEST(ExtractionLimitTest, StopsJustPastTheLimitWhateverTheHeadersDeclare) {
    const std::string bytes = testing::archiveOf({"size=10:a.txt=<<1000*a>>"});
    const auto opened = zip::Archive::openInMemory(bytes);
    const auto& archive = std::get<zip::Archive>(opened);
    EXPECT_EQ(std::get<std::string>(archive.extract(archive.entries()[0], 1000)), std::string(1000, 'a'));
    EXPECT_TRUE(std::holds_alternative<zip::TooLarge>(archive.extract(archive.entries()[0], 999)));
}

TEST(ExtractionLimitTest, EntryLongerThanWhatIsHeldWhileMeasuringComesOutWhole) {
    constexpr std::uint64_t mebibytes = limits::kEntryBytesHeldWhileMeasuring / limits::kMebibyte + 1;
    const std::string bytes = testing::archiveOf({"size=0:zeros:zeros=" + std::to_string(mebibytes)});
    const auto opened = zip::Archive::openInMemory(bytes);
    const auto& archive = std::get<zip::Archive>(opened);
    const auto extracted = archive.extract(archive.entries()[0]);
    ASSERT_TRUE(std::holds_alternative<std::string>(extracted));
    EXPECT_EQ(std::get<std::string>(extracted), std::string(mebibytes * limits::kMebibyte, '\0'));
}

// Flattening ----------------------------------------------------------------

TEST(PlacementLimitTest, ExactlyTheBoundIsNotCutButOneMoreIs) {
    const LACProcessSettings settings;
    for (const std::int64_t extra : {0, 1}) {
        const LACCanvas canvas = canvasPlacing(pathObject(1, "M 0 0"), limits::kMaxPlacements + extra);
        const FlattenResult result = SceneGraphFlattener::flatten(canvas, settings, std::nullopt);
        EXPECT_EQ(result.nodes.size(), static_cast<std::size_t>(limits::kMaxPlacements));
        EXPECT_EQ(result.cutShortAfterPlacements, extra ? std::optional(limits::kMaxPlacements) : std::nullopt);
    }
}

TEST(PlacementLimitTest, WarningsCountAndTheBoundIsSharedByAllPlatesOfAConversion) {
    const LACProcessSettings settings;
    // Half the bound in warnings (no such object), half in nodes, then a plate more.
    LACCanvas canvas = canvasPlacing(pathObject(1, "M 0 0"), limits::kMaxPlacements / 2);
    canvas.components.insert(canvas.components.end(), limits::kMaxPlacements / 2, LACComponent{2, std::string(kIdentity)});
    const std::vector<LACComponent> plate(3, LACComponent{1, std::string(kIdentity)});
    FlattenBudget budget;
    const auto results = SceneGraphFlattener::flattenEach(canvas, settings, {nullptr, &plate}, budget);
    EXPECT_EQ(results[0].warnings.size(), static_cast<std::size_t>(limits::kMaxPlacements / 2));
    EXPECT_FALSE(results[0].cutShortAfterPlacements);
    EXPECT_TRUE(results[1].nodes.empty());
    EXPECT_EQ(results[1].cutShortAfterPlacements, limits::kMaxPlacements);
}

TEST(PlacementLimitTest, RepeatedBadTransformIsQuotedNotCopied) {
    const LACCanvas canvas = canvasPlacing(pathObject(1, "M 0 0"), 3, std::string(1000, '?'));
    const FlattenResult result = SceneGraphFlattener::flatten(canvas, LACProcessSettings{}, std::nullopt);
    ASSERT_EQ(result.warnings.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(std::get<FlattenWarning::BadTransform>(result.warnings[i].kind).raw.data(),
                  canvas.components[i].transformString.data());
    }
}

// Writing ---------------------------------------------------------------------

TEST(ConversionLimitTest, PathDataPastTheLimitIsSkippedAtEachPlacement) {
    std::string atLimit = "M 0 0 L 1 1";
    atLimit.resize(limits::kMaxPathDataBytes, ' ');
    LACCanvas canvas = canvasPlacing(pathObject(1, atLimit + " "), 2);
    canvas.objects.push_back(pathObject(2, atLimit));
    canvas.components.push_back({2, std::string(kIdentity)});
    const auto conversions = SVGWriter::convert(documentOf({canvas}), 5);
    const std::string skipped = "Path data of obj_id=1 is longer than 16 MiB \u2014 skipped";
    EXPECT_EQ(conversions[0].warnings, (std::vector<std::string>{skipped, skipped}));
    EXPECT_EQ(countOf(conversions[0].svg, "<path "), 1u);
    EXPECT_TRUE(testing::isWellFormedXml(conversions[0].svg));
}

TEST(ConversionLimitTest, WarningTextPastTheLimitIsCountedNotKept) {
    // A group holding one component with a bad transform of one mebibyte,
    // placed seventy times: sixty-three warnings fit in 64 MiB with their words.
    const std::string badTransform(limits::kMebibyte, '?');
    LACCanvas canvas = canvasPlacing(
        objectOf(2, "ModelGroup", LACObject::Group{{LACComponent{1, badTransform}}}), 70);
    canvas.objects.push_back(pathObject(1, "M 0 0"));
    const auto conversions = SVGWriter::convert(documentOf({canvas}), 5);
    const auto& warnings = conversions[0].warnings;
    ASSERT_EQ(warnings.size(), 64u);
    EXPECT_EQ(warnings[62], "Bad transform '" + badTransform + "' at obj_id=1 \u2014 skipped");
    EXPECT_EQ(warnings[63], "Warning limit of 64 MiB reached \u2014 7 more warnings skipped");
}

TEST(ConversionLimitTest, ImageDataPastTheLimitLeavesThePlacementCountedButUnwritten) {
    // Three placements of a quarter-gigabyte image pass the limit of one
    // gigabyte of Base64 text by a few bytes.
    LACDocument document = documentOf({canvasPlacing(objectOf(7, "RasterImage", LACObject::RasterImage{"big.png", 1, 1}), 3)});
    std::string png(256 * limits::kMebibyte, '\0');
    png.replace(0, 8, "\x89PNG\r\n\x1a\n");  // a PNG file's signature: only pictures are embedded
    document.imageData["big.png"] = StoredBytes::plain(std::move(png));
    const auto conversions = SVGWriter::convert(document, 5);
    EXPECT_EQ(countOf(conversions[0].svg, "<image "), 2u);
    EXPECT_EQ(conversions[0].warnings,
              (std::vector<std::string>{"Image data limit of 1 GiB reached at obj_id=7 \u2014 skipped"}));
    EXPECT_EQ(conversions[0].layerCounts.begin()->second, 3);
}

TEST(ConversionLimitTest, AMissingImageOfAnyNameIsLookedForOncePerObject) {
    // A name longer than any entry's names none, and a name one byte shorter
    // is normalised once, however often the object is placed: each of the
    // thousand placements is warned of until the warning text is full.
    for (const std::size_t length : {limits::kLongestEntryName + 1, limits::kLongestEntryName}) {
        const std::string name(length, 'x');
        LACDocument document = documentOf({canvasPlacing(objectOf(3, "RasterImage", LACObject::RasterImage{name, 1, 1}), 1000)});
        document.imageNamesByNFC["y"] = "y";
        const auto conversions = SVGWriter::convert(document, 5);
        const auto& warnings = conversions[0].warnings;
        ASSERT_EQ(warnings.size(), 1000u) << length;
        // Compared whole, not printed: a failure's message would hold the name.
        EXPECT_TRUE(warnings[0] == "Missing image '" + name + "' at obj_id=3 \u2014 skipped") << warnings[0].substr(0, 40);
        EXPECT_TRUE(warnings[999] == warnings[0]);
    }
}

// The plan that file names are made from before anything is drawn names the
// same drawings as the conversion, also where the limit cuts a canvas's
// plates short.
TEST(ConversionLimitTest, DrawingsPastTheLimitAreLeftOutWithOneWarning) {
    struct Case {
        std::size_t canvases;
        std::size_t platesOnLast;  // 0: the last canvas has no plates
        bool cutShort;
    };
    for (const Case& c : {Case{limits::kMaxDrawings, 0, false}, Case{limits::kMaxDrawings + 1, 0, true},
                          Case{limits::kMaxDrawings - 1, 3, true}, Case{limits::kMaxDrawings - 1, 2, false}}) {
        std::vector<LACCanvas> canvases(c.canvases);
        for (std::size_t i = 0; i < canvases.size(); ++i) canvases[i].index = static_cast<std::int64_t>(i);
        LACDocument document = documentOf(std::move(canvases));
        if (c.platesOnLast) document.plateComponentsByCanvas[document.canvases.back().index] =
            std::vector<Plate>(c.platesOnLast, Plate{LACComponent{1, "1 0 0 1 0 0"}});
        const auto conversions = SVGWriter::convert(document, 5);
        ASSERT_EQ(conversions.size(), limits::kMaxDrawings) << c.canvases;
        const std::vector<std::string>& warnings = conversions.back().warnings;
        EXPECT_EQ(!warnings.empty() && warnings.back() == "Document cut short after 10000 drawings \u2014 the rest is skipped",
                  c.cutShort) << c.canvases;
        const auto planned = SVGWriter::undrawnConversions(document);
        ASSERT_EQ(planned.size(), conversions.size()) << c.canvases;
        for (std::size_t i = 0; i < planned.size(); ++i) {
            EXPECT_EQ(std::tuple(planned[i].canvasIndex, planned[i].plateIndex, planned[i].totalPlatesInCanvas),
                      std::tuple(conversions[i].canvasIndex, conversions[i].plateIndex,
                                 conversions[i].totalPlatesInCanvas)) << c.canvases << " drawing " << i;
        }
    }
}

// Sharing the work ------------------------------------------------------------

// Placements outlined ahead on several threads make the same drawings as one
// thread does: every kind of vector object, objects placed once and many
// times, skipped placements, and path warnings in placement order up to the
// warning limit, which placements in several pieces of work pass together.
TEST(ConversionLimitTest, DrawingsAreTheSameWhateverTheThreads) {
    LACCanvas canvas;
    canvas.objects = {
        pathObject(1, "M 0 0 L 1 1 " + std::string(limits::kMebibyte, 'Q') + " L 2 3"),
        pathObject(2, "L 5 5 M 1 2"),
        pathObject(3, "M 1 2 L 1e999 0 7"),
        objectOf(4, "Ellipse", LACObject::Ellipse{3, 4, 2, 1}),
        objectOf(5, "Arc", LACObject::CenterPointArc{{0, 0}, {1, 1}, {2, 0}, 0}),
        objectOf(6, "RasterImage", LACObject::RasterImage{"missing.png", 1, 1}),
    };
    for (int i = 0; i < 12000; ++i) {
        const std::int64_t id = 100 + i;
        canvas.objects.push_back(pathObject(id, "M " + std::to_string(i) + " 1 C 2 3 4 5 6 7 AC 9 9 5 5 Z"));
        canvas.components.push_back({i % 150 < 6 ? i % 150 + 1 : id, "1 0 0 1 " + std::to_string(i % 7) + " 0"});
    }
    const auto oneThread = SVGWriter::convert(documentOf({canvas}), 5);
    ASSERT_EQ(oneThread.size(), 1u);
    EXPECT_EQ(oneThread[0].warnings.back(), "Warning limit of 64 MiB reached \u2014 274 more warnings skipped");
    EXPECT_EQ(countOf(oneThread[0].svg, "<path "), 12000u - 80u * 3u);
    for (const std::size_t threads : {2u, 3u}) {
        const auto shared = SVGWriter::convert(documentOf({canvas}), 5, {}, threads);
        ASSERT_EQ(shared.size(), 1u);
        EXPECT_EQ(shared[0].svg, oneThread[0].svg) << threads;
        EXPECT_EQ(shared[0].warnings, oneThread[0].warnings) << threads;
        EXPECT_EQ(shared[0].layerCounts, oneThread[0].layerCounts) << threads;
    }
}

}  // namespace
}  // namespace kerfwright
