// The scene and settings decoding, one case per line of
// cases/json-decoding.tsv: the JSON text, and either the error it is
// rejected with or a description of what was decoded.

#include "reading/json_records.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <variant>

#include "support/case_file.h"
#include "text/number_text.h"
#include "values/overloaded.h"

namespace kerfwright {
namespace {

std::string number(double value) { return text::shortestRoundTrip(value); }
std::string point(Point2D p) { return "(" + number(p.x) + "," + number(p.y) + ")"; }

std::string componentsText(const std::vector<LACComponent>& components) {
    std::string out = "[";
    for (const LACComponent& c : components) {
        if (out.size() > 1) out += ' ';
        out += std::to_string(c.objId) + ":'" + c.transformString + "'";
    }
    return out + "]";
}

std::string kindText(const LACObject::Kind& kind) {
    return std::visit(
        Overloaded{
            [](const LACObject::Path& p) { return "path '" + p.data + "'" + (p.isClosed ? " closed" : " open"); },
            [](const LACObject::RasterImage& i) {
                return "image '" + i.fileName + "' " + std::to_string(i.width) + "x" + std::to_string(i.height);
            },
            [](const LACObject::Ellipse& e) {
                return "ellipse " + point({e.centerX, e.centerY}) + " " + point({e.radiusX, e.radiusY});
            },
            [](const LACObject::CenterPointArc& a) {
                return "arc " + point(a.p0) + " " + point(a.p1) + " " + point(a.p2) + " " + number(a.angleAOB);
            },
            [](const LACObject::Group& g) { return "group " + componentsText(g.components); },
            [](const LACObject::Unknown&) { return std::string("unknown"); },
        },
        kind);
}

// "canvas 0 '' [1:'t'] {path id=3 ...}", canvases joined by " | ".
std::string sceneText(const RawLACDocument& scene) {
    std::string out = "application " + testing::quotedOrDash(scene.application) + " version " + testing::quotedOrDash(scene.fileVersion);
    for (const RawCanvas& raw : scene.canvasList) {
        const LACCanvas canvas = toCanvas(raw);
        out += " | canvas " + std::to_string(canvas.index) + " '" + canvas.name + "' " + componentsText(canvas.components);
        for (const LACObject& o : canvas.objects) {
            out += " {" + o.rawType + (o.type ? "" : "?") + " " + std::to_string(o.id) + " '" + o.name + "' " +
                   testing::quotedOrDash(o.color);
            for (const std::string& flag : o.flags) out += " #" + flag;
            out += " " + kindText(o.kind) + "}";
        }
    }
    return out;
}

// "settings 0: 1=A 2=B | plates 0: [1:'p1'] [2:'p2' 3:'p3']".
std::string settingsText(const RawProcessSettings& raw) {
    std::string out = "settings";
    for (const auto& [canvas, types] : toProcessSettings(raw).perCanvas) {
        out += ' ' + std::to_string(canvas) + ':';
        for (const auto& [id, type] : types) out += ' ' + std::to_string(id) + '=' + type;
    }
    out += " | plates";
    for (const auto& [canvas, plates] : plateComponentsByCanvas(raw)) {
        out += ' ' + std::to_string(canvas) + ':';
        for (const Plate& plate : plates) out += ' ' + componentsText(plate);
    }
    return out;
}

template <class Decoded, class Describe>
std::string outcomeText(const std::variant<Decoded, JsonDecodeError>& decoded, Describe describe) {
    if (const auto* error = std::get_if<JsonDecodeError>(&decoded)) return "rejected: " + error->text;
    return describe(std::get<Decoded>(decoded));
}

TEST(JsonDecoding, Cases) {
    for (const testing::Case& c : testing::readCases("json-decoding.tsv", 3)) {
        const std::string& json = c.fields[1];
        for (const std::size_t threads : {1, 2}) {
            const std::string outcome = c.fields[0] == "scene"
                                            ? outcomeText(decodeScene(json, threads), sceneText)
                                            : outcomeText(decodeProcessSettings(json), settingsText);
            EXPECT_EQ(outcome, c.fields[2]) << c.where << " on " << threads << " threads";
        }
    }
}

// A scene of `count` path objects, those listed written as `faulty` instead.
std::string longScene(int count, const std::map<int, std::string>& faulty) {
    std::string json = R"({"canvas_list":[{"index":0,"components":[],"obj_list":[)";
    for (int i = 0; i < count; ++i) {
        if (i > 0) json += ',';
        const auto found = faulty.find(i);
        json += found != faulty.end() ? found->second
                                      : R"({"obj_id":)" + std::to_string(i) + R"(,"type":"PathObject","width":2})";
    }
    return json + "]}]}";
}

// A long object list is decoded in pieces, on several threads: objects stay
// in order, and the failure reported is the earliest, in whichever piece.
TEST(JsonDecoding, LongObjectListsDecodeAsInTurn) {
    const std::string unfitting = R"({"obj_id":1,"type":"PathObject","width":1e999})";
    const std::string untyped = R"({"obj_id":1})";
    for (const std::size_t threads : {1, 2, 3}) {
        const auto whole = decodeScene(longScene(2000, {}), threads);
        const auto& objects = std::get<RawLACDocument>(whole).canvasList.at(0).objects;
        ASSERT_EQ(objects.size(), 2000u);
        EXPECT_EQ(objects[0].id, 0);
        EXPECT_EQ(objects[1999].id, 1999);
        EXPECT_EQ(outcomeText(decodeScene(longScene(2000, {{1500, untyped}, {700, unfitting}}), threads), sceneText),
                  "rejected: number does not fit at canvas_list[0].obj_list[700].width");
        EXPECT_EQ(outcomeText(decodeScene(longScene(2000, {{1999, untyped}, {600, "null"}}), threads), sceneText),
                  "rejected: null value at canvas_list[0].obj_list[600]");
    }
}

}  // namespace
}  // namespace kerfwright
