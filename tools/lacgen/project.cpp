#include "project.h"

#include <charconv>

namespace lacgen {
namespace {

std::string coordinateText(double value) {
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end);
}

JsonValue baseObject(std::int64_t id, std::string name, std::string type) {
    JsonValue object = JsonValue::object({{"obj_id", id}});
    if (!name.empty()) object.add("name", std::move(name));
    object.add("type", std::move(type));
    return object;
}

}  // namespace

JsonValue component(std::int64_t objId, std::string transform) {
    return JsonValue::object({{"obj_id", objId}, {"transform", std::move(transform)}});
}

JsonValue translate(std::int64_t objId, double x, double y) {
    return component(objId, "1 0 0 1 " + coordinateText(x) + " " + coordinateText(y));
}

JsonValue pathObject(std::int64_t id, std::string name, std::string pathData, bool isClosed) {
    JsonValue object = baseObject(id, std::move(name), "PathObject");
    object.add("path_data", std::move(pathData));
    object.add("is_closed", isClosed);
    return object;
}

JsonValue ellipseObject(std::int64_t id, std::string name, double cx, double cy, double rx, double ry) {
    JsonValue object = baseObject(id, std::move(name), "EllipseObject");
    object.add("center_x", cx).add("center_y", cy).add("radius_x", rx).add("radius_y", ry);
    return object;
}

JsonValue arcObject(std::int64_t id, std::string name, double x0, double y0, double x1, double y1, double x2,
                    double y2, double angleAOB) {
    JsonValue object = baseObject(id, std::move(name), "CenterPointArcObject");
    object.add("point_0_x", x0).add("point_0_y", y0);
    object.add("point_1_x", x1).add("point_1_y", y1);
    object.add("point_2_x", x2).add("point_2_y", y2);
    object.add("angle_aob", angleAOB);
    return object;
}

JsonValue rasterObject(std::int64_t id, std::string name, std::string fileName, std::int64_t width,
                       std::int64_t height) {
    JsonValue object = baseObject(id, std::move(name), "RasterImage");
    object.add("file_name", std::move(fileName)).add("width", width).add("height", height);
    return object;
}

JsonValue groupObject(std::int64_t id, std::string name, JsonValue::Array components, std::string type) {
    JsonValue object = baseObject(id, std::move(name), std::move(type));
    object.add("components", std::move(components));
    return object;
}

JsonValue objectOfType(std::int64_t id, std::string name, std::string type) {
    return baseObject(id, std::move(name), std::move(type));
}

JsonValue ProjectSpec::sceneJson() const {
    JsonValue scene = JsonValue::object({});
    if (application) scene.add("Application", *application);
    if (fileVersion) scene.add("FileVersion", *fileVersion);
    JsonValue::Array canvasList;
    for (const CanvasSpec& canvas : canvases) {
        JsonValue entry = JsonValue::object({{"index", canvas.index}});
        if (canvas.name) entry.add("name", *canvas.name);
        entry.add("components", canvas.components);
        entry.add("obj_list", canvas.objects);
        canvasList.push_back(std::move(entry));
    }
    scene.add("canvas_list", std::move(canvasList));
    return scene;
}

JsonValue ProjectSpec::settingsJson() const {
    JsonValue::Array canvasSettings;
    for (const CanvasSpec& canvas : canvases) {
        JsonValue::Array objectSettings;
        for (const auto& [objId, processType] : canvas.processTypes) {
            objectSettings.push_back(JsonValue::object({{"obj_id", objId}, {"process_type", processType}}));
        }
        JsonValue entry = JsonValue::object({{"index", canvas.index}, {"object_settings", std::move(objectSettings)}});
        if (!canvas.plates.empty()) {
            JsonValue::Array plates;
            for (const JsonValue::Array& plate : canvas.plates) {
                plates.push_back(JsonValue::object({{"components", plate}}));
            }
            entry.add("making_batch_list", JsonValue::array({JsonValue::object({{"making_plate_list", plates}})}));
        }
        canvasSettings.push_back(std::move(entry));
    }
    return JsonValue::object({{"canvas_settings", std::move(canvasSettings)}});
}

ZipBuilder ProjectSpec::archive() const {
    ZipBuilder zip;
    zip.addFile("2D/2dmodel.json", sceneJson().dump());
    zip.addFile("Metadata2D/project_settings.json", settingsJson().dump());
    for (const auto& [path, bytes] : extraEntries) zip.addFile(path, bytes);
    return zip;
}

}  // namespace lacgen
