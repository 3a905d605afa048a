#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "reading/json_records.h"

namespace kerfwright {
namespace {

std::string sceneWithObject(const std::string& objectJson) {
    return R"({"canvas_list":[{"index":0,"components":[],"obj_list":[)" + objectJson + "]}]}";
}

RawLACDocument decodedScene(const std::string& json) {
    auto decoded = decodeScene(json);
    if (auto* error = std::get_if<JsonDecodeError>(&decoded)) {
        ADD_FAILURE() << "rejected: " << error->text;
        return {};
    }
    return std::get<RawLACDocument>(decoded);
}

LACObject onlyObject(const std::string& objectJson) {
    const RawLACDocument scene = decodedScene(sceneWithObject(objectJson));
    if (scene.canvasList.empty() || scene.canvasList[0].objects.size() != 1) {
        ADD_FAILURE() << "expected one object";
        return {};
    }
    return scene.canvasList[0].objects[0];
}

std::string sceneRejection(const std::string& json) {
    auto decoded = decodeScene(json);
    auto* error = std::get_if<JsonDecodeError>(&decoded);
    return error ? error->text : "accepted";
}

std::string settingsRejection(const std::string& json) {
    auto decoded = decodeProcessSettings(json);
    auto* error = std::get_if<JsonDecodeError>(&decoded);
    return error ? error->text : "accepted";
}

RawProcessSettings decodedSettings(const std::string& json) {
    auto decoded = decodeProcessSettings(json);
    if (auto* error = std::get_if<JsonDecodeError>(&decoded)) {
        ADD_FAILURE() << "rejected: " << error->text;
        return {};
    }
    return std::get<RawProcessSettings>(decoded);
}

struct RejectionCase {
    std::string json;
    std::string error;
};

class SceneRejectionTest : public testing::TestWithParam<RejectionCase> {};

TEST_P(SceneRejectionTest, NamesTheFailureAndItsPath) {
    EXPECT_EQ(sceneRejection(GetParam().json), GetParam().error);
}

INSTANTIATE_TEST_SUITE_P(
    JsonRecords, SceneRejectionTest,
    testing::Values(
        RejectionCase{"{}", R"(missing key "canvas_list" at top level)"},
        RejectionCase{"[]", "wrong type at top level: expected an object"},
        RejectionCase{R"({"canvas_list":null})", "null value at canvas_list"},
        RejectionCase{R"({"canvas_list":[{"index":0,"obj_list":[]}]})",
                      R"(missing key "components" at canvas_list[0])"},
        RejectionCase{R"({"canvas_list":[{"index":0,"components":[]}]})",
                      R"(missing key "obj_list" at canvas_list[0])"},
        RejectionCase{R"({"canvas_list":[{"index":"0","components":[],"obj_list":[]}]})",
                      "wrong type at canvas_list[0].index: expected an integer"},
        RejectionCase{sceneWithObject(R"({"type":"PathObject"})"),
                      R"(missing key "obj_id" at canvas_list[0].obj_list[0])"},
        RejectionCase{sceneWithObject(R"({"obj_id":1},{"obj_id":2})"),
                      R"(missing key "type" at canvas_list[0].obj_list[0])"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"PathObject","width":"12"})"),
                      "wrong type at canvas_list[0].obj_list[0].width: expected an integer"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"PathObject","width":12.5})"),
                      "number does not fit at canvas_list[0].obj_list[0].width"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"PathObject","is_closed":1})"),
                      "wrong type at canvas_list[0].obj_list[0].is_closed: expected a boolean"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"EllipseObject","center_x":"3"})"),
                      "wrong type at canvas_list[0].obj_list[0].center_x: expected a number"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"X","color":5})"),
                      "wrong type at canvas_list[0].obj_list[0].color: expected a string"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"X","flags":["a",null]})"),
                      "null value at canvas_list[0].obj_list[0].flags[1]"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"X","flags":"a"})"),
                      "wrong type at canvas_list[0].obj_list[0].flags: expected an array"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"ModelGroup","components":[{"obj_id":2}]})"),
                      R"(missing key "transform" at canvas_list[0].obj_list[0].components[0])"},
        RejectionCase{sceneWithObject(R"({"obj_id":true,"type":"X"})"),
                      "wrong type at canvas_list[0].obj_list[0].obj_id: expected an integer"},
        RejectionCase{sceneWithObject(R"({"obj_id":9223372036854775808,"type":"X"})"),
                      "number does not fit at canvas_list[0].obj_list[0].obj_id"},
        RejectionCase{sceneWithObject(R"({"obj_id":-9223372036854775809,"type":"X"})"),
                      "number does not fit at canvas_list[0].obj_list[0].obj_id"},
        RejectionCase{sceneWithObject(R"({"obj_id":123456789012345678901234567890,"type":"X"})"),
                      "number does not fit at canvas_list[0].obj_list[0].obj_id"},
        RejectionCase{sceneWithObject(R"({"obj_id":9223372036854775808.0,"type":"X"})"),
                      "number does not fit at canvas_list[0].obj_list[0].obj_id"},
        RejectionCase{sceneWithObject(R"({"obj_id":1,"type":"X","center_x":1e400})"),
                      "number does not fit at canvas_list[0].obj_list[0].center_x"},
        RejectionCase{R"({"canvas_list":[})", "malformed JSON: The JSON document has an improper structure: "
                                              "missing or superfluous commas, braces, missing keys, etc."},
        RejectionCase{"", "malformed JSON: Empty: no JSON found"},
        RejectionCase{R"({"canvas_list":[]} x)", "malformed JSON: The JSON document has an improper structure: "
                                                 "missing or superfluous commas, braces, missing keys, etc."},
        RejectionCase{R"({"canvas_list":[],"x":01})", "malformed JSON: Problem while parsing a number"},
        RejectionCase{R"({"canvas_list":[],"x":-})", "malformed JSON: Problem while parsing a number"},
        RejectionCase{R"({"canvas_list":[],"x":"\ud800"})", "malformed JSON: Problem while parsing a string"}));

TEST(JsonRecordsTest, BigNumberBesideMalformedTextReportsTheMalformedText) {
    EXPECT_EQ(sceneRejection(R"({"x":123456789012345678901234567890,"canvas_list":[],})"),
              "malformed JSON: The JSON document has an improper structure: "
              "missing or superfluous commas, braces, missing keys, etc.");
}

TEST(JsonRecordsTest, EmptyCanvasListGivesNoCanvases) {
    EXPECT_TRUE(decodedScene(R"({"canvas_list":[]})").canvasList.empty());
}

TEST(JsonRecordsTest, OptionalTopLevelTextsAreKept) {
    const RawLACDocument scene = decodedScene(R"({"Application":"App","FileVersion":null,"canvas_list":[]})");
    EXPECT_EQ(scene.application, "App");
    EXPECT_FALSE(scene.fileVersion);
}

TEST(JsonRecordsTest, ByteOrderMarkIsSkipped) {
    EXPECT_TRUE(decodedScene("\xEF\xBB\xBF{\"canvas_list\":[]}").canvasList.empty());
    // Also when a number beyond 64 bits makes the text be parsed a second time.
    EXPECT_TRUE(decodedScene("\xEF\xBB\xBF{\"x\":1e400,\"canvas_list\":[]}").canvasList.empty());
    EXPECT_EQ(sceneRejection("\xEF\xBB\xBF{\"canvas_list\":[{\"index\":123456789012345678901234567890}]}"),
              "number does not fit at canvas_list[0].index");
}

TEST(JsonRecordsTest, RepeatedKeyTakesItsLastValue) {
    const LACObject object = onlyObject(R"({"obj_id":1,"type":"RasterImage","width":"bad","width":7})");
    EXPECT_EQ(std::get<LACObject::RasterImage>(object.kind).width, 7);
}

TEST(JsonRecordsTest, NumbersBeyondSixtyFourBitsAreHarmlessUnderIgnoredKeys) {
    const LACObject object =
        onlyObject(R"({"obj_id":1,"extra":[123456789012345678901234567890,1e400],"type":"EllipseObject",)"
                   R"("center_x":123456789012345678901234567890,"center_y":-9223372036854775809})");
    const auto& ellipse = std::get<LACObject::Ellipse>(object.kind);
    EXPECT_EQ(ellipse.centerX, 1.2345678901234568e29);
    EXPECT_EQ(ellipse.centerY, -9223372036854775808.0);
}

TEST(JsonRecordsTest, WholeNumbersInAnyNotationAreIntegers) {
    const LACObject object =
        onlyObject(R"({"obj_id":-9223372036854775808,"type":"RasterImage","width":12.0,"height":1.5e1})");
    EXPECT_EQ(object.id, INT64_MIN);
    const auto& image = std::get<LACObject::RasterImage>(object.kind);
    EXPECT_EQ(image.width, 12);
    EXPECT_EQ(image.height, 15);
}

TEST(JsonRecordsTest, PathDefaultsAndNullFlag) {
    const LACObject object = onlyObject(R"({"obj_id":3,"type":"PathObject","is_closed":null})");
    EXPECT_EQ(object.rawType, "PathObject");
    EXPECT_EQ(object.type, LACObjectType::path);
    EXPECT_EQ(object.name, "");
    EXPECT_FALSE(object.color);
    EXPECT_TRUE(object.flags.empty());
    const auto& path = std::get<LACObject::Path>(object.kind);
    EXPECT_EQ(path.data, "");
    EXPECT_FALSE(path.isClosed);
}

TEST(JsonRecordsTest, PathKeepsItsDataAndIgnoresForeignKeys) {
    const LACObject object = onlyObject(
        R"({"obj_id":3,"name":"n","type":"PathObject","color":"#ff0000","flags":["a","b"],)"
        R"("path_data":"M0 0L1 1","is_closed":true,"components":[{"obj_id":9,"transform":"1 0 0 1 0 0"}]})");
    EXPECT_EQ(object.name, "n");
    EXPECT_EQ(object.color, "#ff0000");
    EXPECT_EQ(object.flags, (std::vector<std::string>{"a", "b"}));
    const auto& path = std::get<LACObject::Path>(object.kind);
    EXPECT_EQ(path.data, "M0 0L1 1");
    EXPECT_TRUE(path.isClosed);
}

TEST(JsonRecordsTest, RasterImageDefaults) {
    const auto image = std::get<LACObject::RasterImage>(onlyObject(R"({"obj_id":1,"type":"RasterImage"})").kind);
    EXPECT_EQ(image.fileName, "");
    EXPECT_EQ(image.width, 0);
    EXPECT_EQ(image.height, 0);
}

TEST(JsonRecordsTest, EllipseTakesIntegersAsNumbers) {
    const auto ellipse = std::get<LACObject::Ellipse>(
        onlyObject(R"({"obj_id":1,"type":"EllipseObject","center_x":3,"radius_x":2.5})").kind);
    EXPECT_EQ(ellipse.centerX, 3.0);
    EXPECT_EQ(ellipse.centerY, 0.0);
    EXPECT_EQ(ellipse.radiusX, 2.5);
    EXPECT_EQ(ellipse.radiusY, 0.0);
}

TEST(JsonRecordsTest, CenterPointArcPointsAndAngle) {
    const auto arc = std::get<LACObject::CenterPointArc>(onlyObject(
        R"({"obj_id":1,"type":"CenterPointArcObject","point_0_x":1,"point_0_y":2,"point_1_x":3,)"
        R"("point_1_y":4,"point_2_x":5,"angle_aob":-1.5})").kind);
    EXPECT_EQ(arc.p0, (Point2D{1, 2}));
    EXPECT_EQ(arc.p1, (Point2D{3, 4}));
    EXPECT_EQ(arc.p2, (Point2D{5, 0}));
    EXPECT_EQ(arc.angleAOB, -1.5);
}

TEST(JsonRecordsTest, GroupsKeepComponentOrder) {
    for (const std::string type : {"AttachedGroup", "ModelGroup"}) {
        const LACObject object = onlyObject(R"({"obj_id":1,"type":")" + type +
                                            R"(","components":[{"obj_id":5,"transform":"a"},)"
                                            R"({"obj_id":4,"transform":"b"}]})");
        const auto& group = std::get<LACObject::Group>(object.kind);
        ASSERT_EQ(group.components.size(), 2u) << type;
        EXPECT_EQ(group.components[0].objId, 5);
        EXPECT_EQ(group.components[0].transformString, "a");
        EXPECT_EQ(group.components[1].objId, 4);
        EXPECT_EQ(group.components[1].transformString, "b");
    }
    EXPECT_TRUE(std::get<LACObject::Group>(onlyObject(R"({"obj_id":1,"type":"ModelGroup"})").kind).components.empty());
}

TEST(JsonRecordsTest, UnrecognisedTypeIsUnknownEvenWithComponents) {
    const LACObject object =
        onlyObject(R"({"obj_id":1,"type":"modelgroup","components":[{"obj_id":2,"transform":""}]})");
    EXPECT_FALSE(object.type);
    EXPECT_EQ(object.rawType, "modelgroup");
    EXPECT_TRUE(std::holds_alternative<LACObject::Unknown>(object.kind));
}

TEST(JsonRecordsTest, CanvasWithoutNameHasEmptyName) {
    const RawLACDocument scene = decodedScene(
        R"({"canvas_list":[{"index":7,"components":[{"obj_id":1,"transform":"t"}],"obj_list":[]},)"
        R"({"index":2,"name":"Second","components":[],"obj_list":[]}]})");
    ASSERT_EQ(scene.canvasList.size(), 2u);
    const LACCanvas first = toCanvas(scene.canvasList[0]);
    EXPECT_EQ(first.index, 7);
    EXPECT_EQ(first.name, "");
    ASSERT_EQ(first.components.size(), 1u);
    EXPECT_EQ(first.components[0].transformString, "t");
    EXPECT_EQ(toCanvas(scene.canvasList[1]).name, "Second");
}

TEST(JsonRecordsTest, SettingsRejections) {
    EXPECT_EQ(settingsRejection(R"({"canvas_settings":[{"index":0}]})"),
              R"(missing key "object_settings" at canvas_settings[0])");
    EXPECT_EQ(settingsRejection(R"({"canvas_settings":[{"index":0,"object_settings":[{"obj_id":1}]}]})"),
              R"(missing key "process_type" at canvas_settings[0].object_settings[0])");
    EXPECT_EQ(settingsRejection(R"({"canvas_settings":[{"index":0,"object_settings":[],)"
                                R"("making_batch_list":[{"making_plate_list":[{"components":[{"obj_id":1,"transform":2}]}]}]}]})"),
              "wrong type at canvas_settings[0].making_batch_list[0].making_plate_list[0].components[0].transform: "
              "expected a string");
    EXPECT_EQ(settingsRejection("{}"), R"(missing key "canvas_settings" at top level)");
}

TEST(JsonRecordsTest, PlateOrBatchWithoutListIsAccepted) {
    const RawProcessSettings settings = decodedSettings(
        R"({"canvas_settings":[{"index":0,"object_settings":[],"making_batch_list":[{},{"making_plate_list":[{}]}]}]})");
    EXPECT_TRUE(plateComponentsByCanvas(settings).empty());
}

TEST(JsonRecordsTest, LaterObjectSettingWinsAndRepeatedCanvasReplacesWhole) {
    const LACProcessSettings settings = toProcessSettings(decodedSettings(
        R"({"canvas_settings":[)"
        R"({"index":0,"object_settings":[{"obj_id":1,"process_type":"A"},{"obj_id":2,"process_type":"B"}]},)"
        R"({"index":1,"object_settings":[{"obj_id":1,"process_type":"C"},{"obj_id":1,"process_type":"D"}]},)"
        R"({"index":0,"object_settings":[{"obj_id":3,"process_type":"E"}]},)"
        R"({"index":5,"object_settings":[]}]})"));
    ASSERT_NE(settings.processType(1, 1), nullptr);
    EXPECT_EQ(*settings.processType(1, 1), "D");
    EXPECT_EQ(settings.processType(0, 1), nullptr);
    ASSERT_NE(settings.processType(0, 3), nullptr);
    EXPECT_EQ(*settings.processType(0, 3), "E");
    ASSERT_TRUE(settings.perCanvas.contains(5));
    EXPECT_TRUE(settings.perCanvas.at(5).empty());
}

TEST(JsonRecordsTest, PlatesFlattenBatchesDropEmptyOnesAndReplaceOnlyWhenNonEmpty) {
    const auto plates = plateComponentsByCanvas(decodedSettings(
        R"({"canvas_settings":[)"
        R"({"index":0,"object_settings":[],"making_batch_list":[)"
        R"({"making_plate_list":[{"components":[{"obj_id":1,"transform":"p1"}]},{"components":[]}]},)"
        R"({"making_plate_list":[{"components":[{"obj_id":2,"transform":"p2"},{"obj_id":3,"transform":"p3"}]}]}]},)"
        R"({"index":0,"object_settings":[],"making_batch_list":[{"making_plate_list":[{}]}]},)"
        R"({"index":1,"object_settings":[],"making_batch_list":[{"making_plate_list":[{"components":[{"obj_id":8,"transform":"x"}]}]}]},)"
        R"({"index":1,"object_settings":[],"making_batch_list":[{"making_plate_list":[{"components":[{"obj_id":9,"transform":"y"}]}]}]},)"
        R"({"index":2,"object_settings":[]}]})"));
    ASSERT_EQ(plates.size(), 2u);
    const auto& canvas0 = plates.at(0);
    ASSERT_EQ(canvas0.size(), 2u);
    ASSERT_EQ(canvas0[0].size(), 1u);
    EXPECT_EQ(canvas0[0][0].transformString, "p1");
    ASSERT_EQ(canvas0[1].size(), 2u);
    EXPECT_EQ(canvas0[1][1].objId, 3);
    ASSERT_EQ(plates.at(1).size(), 1u);
    EXPECT_EQ(plates.at(1)[0][0].objId, 9);
}

TEST(JsonRecordsTest, EmptyCanvasSettingsGiveNothing) {
    const RawProcessSettings settings = decodedSettings(R"({"canvas_settings":[]})");
    EXPECT_TRUE(toProcessSettings(settings).perCanvas.empty());
    EXPECT_TRUE(plateComponentsByCanvas(settings).empty());
}

}  // namespace
}  // namespace kerfwright
