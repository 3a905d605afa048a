#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "reading/lac_reader.h"
#include "zip_builder.h"

namespace kerfwright {
namespace {

using lacgen::ZipBuilder;
using lacgen::ZipEntry;

const std::string scenePath = "2D/2dmodel.json";
const std::string settingsPath = "Metadata2D/project_settings.json";
const std::string minimalScene = R"({"canvas_list":[]})";
const std::string minimalSettings = R"({"canvas_settings":[]})";

ZipBuilder minimalProject() { return ZipBuilder().addFile(scenePath, minimalScene).addFile(settingsPath, minimalSettings); }

LACDocument readBytes(const std::string& archiveBytes) {
    return LACReader::readFromMemory(archiveBytes, "/projects/p.lac");
}

// The description of the error that reading raises, or "read" when none.
std::string readFailure(const std::string& archiveBytes) {
    try {
        readBytes(archiveBytes);
    } catch (const LACReadError& error) {
        return error.description();
    }
    return "read";
}

std::filesystem::path scratchFile(const std::string& name) {
    return std::filesystem::path(testing::TempDir()) / ("lac_reader_" + name);
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

// The description of the error that reading the file raises, or "read".
std::string fileReadFailure(const std::filesystem::path& file) {
    try {
        LACReader::read(file);
    } catch (const LACReadError& error) {
        EXPECT_EQ(error.kind(), LACReadError::Kind::openFailed);
        EXPECT_EQ(error.subject(), file.string());
        return error.description();
    }
    return "read";
}

TEST(LACReaderTest, NotAZipFile) {
    const auto file = scratchFile("not_zip.lac");
    std::ofstream(file) << "hello, this is no archive";
    EXPECT_EQ(fileReadFailure(file), "Could not open .lac archive at " + file.string() + ": Not a zip archive");
}

TEST(LACReaderTest, EmptyFileIsNoArchive) {
    const auto file = scratchFile("empty.lac");
    std::ofstream{file};
    EXPECT_EQ(fileReadFailure(file), "Could not open .lac archive at " + file.string() + ": Not a zip archive");
    EXPECT_EQ(readFailure(""), "Could not open .lac archive at /projects/p.lac: Not a zip archive");
}

TEST(LACReaderTest, MissingFileFailsToOpen) {
    const auto file = scratchFile("does_not_exist.lac");
    EXPECT_EQ(fileReadFailure(file), "Could not open .lac archive at " + file.string() + ": No such file");
}

TEST(LACReaderTest, TruncatedArchiveFailsToOpen) {
    const std::string archive = minimalProject().bytes();
    EXPECT_EQ(readFailure(archive.substr(0, archive.size() - 10)),
              "Could not open .lac archive at /projects/p.lac: Not a zip archive");
}

TEST(LACReaderTest, ReadsAFileFromDisk) {
    const auto file = scratchFile("minimal.lac");
    minimalProject().writeTo(file.string());
    EXPECT_TRUE(LACReader::read(file).canvases.empty());
}

TEST(LACReaderTest, RequiredEntries) {
    EXPECT_EQ(readFailure(ZipBuilder().bytes()), "Missing required entry in .lac archive: 2D/2dmodel.json");
    EXPECT_EQ(readFailure(ZipBuilder().addFile(settingsPath, minimalSettings).bytes()),
              "Missing required entry in .lac archive: 2D/2dmodel.json");
    EXPECT_EQ(readFailure(ZipBuilder().addFile(scenePath, minimalScene).bytes()),
              "Missing required entry in .lac archive: Metadata2D/project_settings.json");
    // Neither another letter case nor another folder counts.
    EXPECT_EQ(readFailure(ZipBuilder()
                              .addFile("2d/2dmodel.json", minimalScene)
                              .addFile("x/2D/2dmodel.json", minimalScene)
                              .addFile(settingsPath, minimalSettings)
                              .bytes()),
              "Missing required entry in .lac archive: 2D/2dmodel.json");
}

TEST(LACReaderTest, DecodeFailuresNameTheEntry) {
    EXPECT_EQ(readFailure(ZipBuilder().addFile(scenePath, "{").addFile(settingsPath, minimalSettings).bytes()),
              "Failed to decode 2D/2dmodel.json: malformed JSON: The JSON document has an improper structure: "
              "missing or superfluous commas, braces, missing keys, etc.");
    EXPECT_EQ(readFailure(ZipBuilder()
                              .addFile(scenePath, R"({"canvas_list":[{"index":0,"components":[],)"
                                                  R"("obj_list":[{"obj_id":1,"type":"PathObject","width":12.5}]}]})")
                              .addFile(settingsPath, minimalSettings)
                              .bytes()),
              "Failed to decode 2D/2dmodel.json: number does not fit at canvas_list[0].obj_list[0].width");
    EXPECT_EQ(readFailure(ZipBuilder()
                              .addFile(scenePath, R"({"canvas_list":[{"index":0,"components":[],)"
                                                  R"("obj_list":[{"obj_id":1,"type":"PathObject","is_closed":1}]}]})")
                              .addFile(settingsPath, minimalSettings)
                              .bytes()),
              "Failed to decode 2D/2dmodel.json: wrong type at canvas_list[0].obj_list[0].is_closed: expected a boolean");
    EXPECT_EQ(readFailure(ZipBuilder().addFile(scenePath, minimalScene).addFile(settingsPath, "{}").bytes()),
              R"(Failed to decode Metadata2D/project_settings.json: missing key "canvas_settings" at top level)");
}

TEST(LACReaderTest, RequiredEntryWithBadChecksumFailsExtraction) {
    const std::string archive = ZipBuilder()
                                    .add(ZipEntry{scenePath, minimalScene, true, ZipEntry::Type::file, true})
                                    .addFile(settingsPath, minimalSettings)
                                    .bytes();
    EXPECT_EQ(readFailure(archive), "Failed to extract 2D/2dmodel.json from archive: CRC error");
}

TEST(LACReaderTest, ErrorPrecedence) {
    // A missing settings entry comes before a broken scene.
    EXPECT_EQ(readFailure(ZipBuilder().addFile(scenePath, "broken").bytes()),
              "Missing required entry in .lac archive: Metadata2D/project_settings.json");
    // A settings entry that cannot be extracted comes before a broken scene.
    EXPECT_EQ(readFailure(ZipBuilder()
                              .addFile(scenePath, "broken")
                              .add(ZipEntry{settingsPath, minimalSettings, false, ZipEntry::Type::file, true})
                              .bytes()),
              "Failed to extract Metadata2D/project_settings.json from archive: CRC error");
    // The scene is decoded before the settings.
    EXPECT_EQ(readFailure(ZipBuilder().addFile(settingsPath, "broken").addFile(scenePath, "{}").bytes()),
              R"(Failed to decode 2D/2dmodel.json: missing key "canvas_list" at top level)");
    // Both JSON files are decoded before any image is extracted.
    EXPECT_EQ(readFailure(ZipBuilder()
                              .add(ZipEntry{"2D/Objects/a.png", "png", true, ZipEntry::Type::file, true})
                              .addFile(scenePath, minimalScene)
                              .addFile(settingsPath, "{}")
                              .bytes()),
              R"(Failed to decode Metadata2D/project_settings.json: missing key "canvas_settings" at top level)");
    // Images fail in archive order.
    EXPECT_EQ(readFailure(minimalProject()
                              .add(ZipEntry{"2D/Objects/b.png", "b", true, ZipEntry::Type::file, true})
                              .add(ZipEntry{"2D/Objects/a.png", "a", true, ZipEntry::Type::file, true})
                              .bytes()),
              "Failed to extract 2D/Objects/b.png from archive: CRC error");
}

TEST(LACReaderTest, BadImageFailsTheLoadWhileBadConfigIsSkipped) {
    EXPECT_EQ(readFailure(minimalProject()
                              .add(ZipEntry{"2D/Objects/sub/b.png", "bytes", false, ZipEntry::Type::file, true})
                              .bytes()),
              "Failed to extract 2D/Objects/sub/b.png from archive: CRC error");
    const LACDocument document = readBytes(
        minimalProject().add(ZipEntry{"Metadata2D/m.config", "{}", true, ZipEntry::Type::file, true}).bytes());
    EXPECT_FALSE(document.processConfig);
}

// ---- a whole document ----

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

TEST(LACReaderTest, ImagesAreKeyedByFileNameAndLaterEntriesWin) {
    const LACDocument document = readBytes(minimalProject()
                                               .addFile("2D/Objects/a/x.png", "first")
                                               .add(ZipEntry{"2D/Objects/b/x.png", "second", false})
                                               .addFile("2D/Objects/notes.txt", "text")
                                               .addFile("2D/other.png", "ignored")
                                               .addFile("Objects/y.png", "ignored")
                                               .bytes());
    std::map<std::string, std::optional<std::string>> contents;
    for (const auto& [name, stored] : document.imageData) contents.emplace(name, inflated(stored));
    EXPECT_EQ(contents, (std::map<std::string, std::optional<std::string>>{{"x.png", "second"}, {"notes.txt", "text"}}));
    // A deflated entry is kept as its compressed stream, with the length it inflates to.
    EXPECT_TRUE(document.imageData.at("notes.txt").deflated);
    EXPECT_EQ(document.imageData.at("notes.txt").size, 4u);
    EXPECT_FALSE(document.imageData.at("x.png").deflated);
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

TEST(LACReaderTest, DirectoryAndSymlinkEntriesAreIgnored) {
    // Both would fail the load if they were extracted as files.
    const LACDocument document =
        readBytes(minimalProject()
                      .add(ZipEntry{"2D/Objects/dir", "", true, ZipEntry::Type::directory, true})
                      .add(ZipEntry{"2D/Objects/link.png", "x.png", true, ZipEntry::Type::symlink, true})
                      .add(ZipEntry{"Metadata2D/link.config", "{}", true, ZipEntry::Type::symlink})
                      .bytes());
    EXPECT_TRUE(document.imageData.empty());
    EXPECT_FALSE(document.processConfig);
}

TEST(LACReaderTest, UnreadableConfigFilesLeaveNoProcessConfig) {
    const LACDocument document = readBytes(minimalProject()
                                               .addFile("Metadata2D/a.config", "not json")
                                               .addFile("Metadata2D/b.config", "[1]")
                                               .addFile("Metadata2D/c.config", "\"text\"")
                                               .addFile("Metadata2D/c.json", "{}")
                                               .addFile("Other/d.config", "{}")
                                               .bytes());
    EXPECT_FALSE(document.processConfig);
}

TEST(LACReaderTest, MergesConfigFilesInArchiveOrder) {
    const LACDocument document = readBytes(
        minimalProject()
            .addFile("Metadata2D/sub/first material.config", R"({"name":"Birch","material_id":"b"})")
            .addFile("Metadata2D/second material.config", R"({"name":"Oak","material_id":"o"})")
            .addFile("Metadata2D/p1.config", R"({"LaserLineEngrave":{"speed":1},"LaserFillEngrave":{"speed":2}})")
            .addFile("Metadata2D/p2.config", R"({"LaserLineEngrave":{"speed":3}})")
            .addFile("Metadata2D/Machine One.config", "{}")
            .addFile("Metadata2D/Machine Two.config", "{}")
            .bytes());
    ASSERT_TRUE(document.processConfig);
    const LACProcessConfig& config = *document.processConfig;
    ASSERT_TRUE(config.material);
    EXPECT_EQ(config.material->name, "Birch");
    EXPECT_EQ(config.machineName, "Machine One");
    ASSERT_EQ(config.laserSettings.size(), 2u);
    EXPECT_EQ(config.laserSettings.at("LaserLineEngrave").speedMmPerSecond, 3.0);
    EXPECT_EQ(config.laserSettings.at("LaserFillEngrave").speedMmPerSecond, 2.0);
}

TEST(LACReaderTest, MachineNameAloneMakesAProcessConfig) {
    const LACDocument document = readBytes(minimalProject().addFile("Metadata2D/.config", "{}").bytes());
    ASSERT_TRUE(document.processConfig);
    EXPECT_EQ(document.processConfig->machineName, "");
    EXPECT_FALSE(document.processConfig->material);
    EXPECT_TRUE(document.processConfig->laserSettings.empty());
}

}  // namespace
}  // namespace kerfwright
