#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "reading/lac_reader.h"
#include "support/archive_recipe.h"
#include "support/case_file.h"
#include "text/number_text.h"
#include "zip_builder.h"

namespace kerfwright {
namespace {

using lacgen::ZipBuilder;

const std::string scenePath = "2D/2dmodel.json";
const std::string settingsPath = "Metadata2D/project_settings.json";
const std::string minimalScene = R"({"canvas_list":[]})";
const std::string minimalSettings = R"({"canvas_settings":[]})";

ZipBuilder minimalProject() { return ZipBuilder().addFile(scenePath, minimalScene).addFile(settingsPath, minimalSettings); }

LACDocument readBytes(const std::string& archiveBytes) {
    return LACReader::readFromMemory(archiveBytes, "/projects/p.lac");
}


// ---- the document model ----

TEST(LACModelTest, ObjectTypeTexts) {
    EXPECT_EQ(lacObjectTypeFromText("ModelGroup"), LACObjectType::modelGroup);
    EXPECT_TRUE(isGroup(*lacObjectTypeFromText("ModelGroup")));
    EXPECT_TRUE(isGroup(LACObjectType::attachedGroup));
    EXPECT_FALSE(isGroup(LACObjectType::path));
    for (const char* text : {"modelgroup", " ModelGroup", "ModelGroup ", "", "PATHOBJECT"}) {
        EXPECT_FALSE(lacObjectTypeFromText(text)) << '"' << text << '"';
    }
    for (const auto type : {LACObjectType::path, LACObjectType::rasterImage, LACObjectType::ellipse,
                            LACObjectType::centerPointArc, LACObjectType::attachedGroup, LACObjectType::modelGroup}) {
        EXPECT_EQ(lacObjectTypeFromText(rawValue(type)), type);
    }
    EXPECT_EQ(rawValue(LACObjectType::centerPointArc), "CenterPointArcObject");
}

TEST(LACModelTest, ObjectLookupTakesTheFirstWithTheId) {
    LACObject first;
    first.id = 4;
    first.name = "first";
    LACObject second = first;
    second.name = "second";
    LACCanvas canvas;
    canvas.objects = {first, second};
    ASSERT_NE(canvas.object(4), nullptr);
    EXPECT_EQ(canvas.object(4)->name, "first");
    EXPECT_EQ(canvas.object(5), nullptr);
}

TEST(LACModelTest, ProcessTypeNeedsBothKeys) {
    LACProcessSettings settings;
    settings.perCanvas[1][2] = "LaserLineEngrave";
    ASSERT_NE(settings.processType(1, 2), nullptr);
    EXPECT_EQ(*settings.processType(1, 2), "LaserLineEngrave");
    EXPECT_EQ(settings.processType(0, 2), nullptr);
    EXPECT_EQ(settings.processType(1, 3), nullptr);
}

// ---- failures ----

// What was read of the images and configuration files, or the failure.
std::string readingText(const std::string& archive) {
    LACDocument document;
    try {
        document = readBytes(archive);
    } catch (const LACReadError& error) {
        return "failed: " + error.description();
    }
    std::string out = "images:";
    for (const auto& [name, stored] : document.imageData) {
        out += " " + name + "=" + inflated(stored).value_or("?") + (stored.deflated ? " (deflated)" : "");
    }
    if (!document.processConfig) return out + "; config: none";
    const LACProcessConfig& config = *document.processConfig;
    out += "; config: material " + (config.material ? config.material->name : "-") + ", machine " +
           testing::quotedOrDash(config.machineName);
    for (const auto& [type, settings] : config.laserSettings) {
        out += ", " + type + " at " + text::shortestRoundTrip(settings.speedMmPerSecond) + " mm/s";
    }
    return out;
}

TEST(LACReaderTest, ArchiveCases) {
    for (const testing::Case& c : testing::readCases("archive-reading.tsv", 2)) {
        const std::string archive = c.fields[0] == "not an archive" ? "hello, this is no archive"
                                    : c.fields[0] == "no bytes"     ? ""
                                                                    : testing::archiveOf(testing::recipeParts(c.fields[0]));
        EXPECT_EQ(readingText(archive), c.fields[1]) << c.where;
    }
}

TEST(LACReaderTest, ConvertsSceneAndSettings) {
    const std::string scene =
        R"({"Application":"Maker","FileVersion":"2.1","canvas_list":[{"index":3,"name":"Top",)"
        R"("components":[{"obj_id":1,"transform":"1 0 0 1 5 5"}],)"
        R"("obj_list":[{"obj_id":1,"type":"PathObject","path_data":"M0 0L1 0"}]}]})";
    const std::string settings =
        R"({"canvas_settings":[{"index":3,"object_settings":[{"obj_id":1,"process_type":"LaserLineEngrave"}],)"
        R"("making_batch_list":[{"making_plate_list":[{"components":[{"obj_id":1,"transform":"t"}]}]}]}]})";
    const LACDocument document =
        readBytes(ZipBuilder().addFile(scenePath, scene).addFile(settingsPath, settings).bytes());
    EXPECT_EQ(document.application, "Maker");
    EXPECT_EQ(document.fileVersion, "2.1");
    ASSERT_EQ(document.canvases.size(), 1u);
    EXPECT_EQ(document.canvases[0].name, "Top");
    EXPECT_EQ(document.canvases[0].components.at(0).transformString, "1 0 0 1 5 5");
    EXPECT_EQ(std::get<LACObject::Path>(document.canvases[0].objects.at(0).kind).data, "M0 0L1 0");
    ASSERT_NE(document.processSettings.processType(3, 1), nullptr);
    EXPECT_EQ(*document.processSettings.processType(3, 1), "LaserLineEngrave");
    EXPECT_EQ(document.plateComponentsByCanvas.at(3).at(0).at(0).transformString, "t");
    EXPECT_TRUE(document.imageData.empty());
    EXPECT_FALSE(document.processConfig);
}

TEST(LACReaderTest, ImagesAreFoundByTheirExactNameElseByTheirNormalForm) {
    // The two stored names hold the same marks in two orders; both have the
    // normal form U+1EA1 U+0307, which the third name is written in.
    const std::string dotBelowFirst = "a\u0323\u0307.png";
    const std::string dotAboveFirst = "a\u0307\u0323.png";
    const LACDocument document = readBytes(minimalProject()
                                               .addFile("2D/Objects/" + dotBelowFirst, "below first")
                                               .addFile("2D/Objects/" + dotAboveFirst, "above first")
                                               .addFile("2D/Objects/Cafe\u0301.png", "cafe")
                                               .bytes());
    const auto contentOf = [&](std::string_view name) -> std::optional<std::string> {
        const StoredBytes* stored = document.image(name);
        if (stored == nullptr) return std::nullopt;
        return inflated(*stored);
    };
    EXPECT_EQ(contentOf(dotBelowFirst), "below first");
    EXPECT_EQ(contentOf(dotAboveFirst), "above first");
    EXPECT_EQ(contentOf("\u1EA1\u0307.png"), "above first");  // the last of the two in the archive
    EXPECT_EQ(contentOf("Caf\u00e9.png"), "cafe");
    EXPECT_EQ(contentOf("cafe.png"), std::nullopt);
    EXPECT_EQ(contentOf("Caf\xC3.png"), std::nullopt);  // not UTF-8: only its exact name could match
}

}  // namespace
}  // namespace kerfwright
