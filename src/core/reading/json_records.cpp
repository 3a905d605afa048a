#include "reading/json_records.h"

#include <algorithm>
#include <charconv>
#include <utility>

#include "reading/json_document.h"
#include "values/huge_pages.h"
#include "values/work_sharing.h"

namespace kerfwright {

namespace {

using json::JsonValue;
using Members = json::LastMembers;

// Thrown inside the decoder only; the decode functions turn it into their result.
struct DecodeFailure {
    std::string text;
};

// Where a value sits in the file: a chain from the value up to the top
// level, kept on the stack while decoding and turned into text
// ("canvas_list[0].obj_list[3].width") only when something fails.
struct KeyPath {
    const KeyPath* parent = nullptr;  // null for the top level
    std::string_view key;             // a member's key, unless this is an array position
    std::size_t position = 0;
    bool isPosition = false;

    KeyPath member(std::string_view name) const { return KeyPath{this, name, 0, false}; }
    KeyPath element(std::size_t index) const { return KeyPath{this, {}, index, true}; }

    std::string text() const {
        if (parent == nullptr) return "";
        std::string out = parent->text();
        if (isPosition) {
            char digits[24];
            const auto result = std::to_chars(digits, digits + sizeof digits, position);
            out += '[';
            out.append(digits, result.ptr);
            out += ']';
        } else {
            if (!out.empty()) out += '.';
            out += key;
        }
        return out;
    }
};

std::string shownPath(const KeyPath& path) {
    std::string text = path.text();
    return text.empty() ? "top level" : text;
}

[[noreturn]] void failWrongType(const KeyPath& path, std::string_view expected) {
    throw DecodeFailure{"wrong type at " + shownPath(path) + ": expected " + std::string(expected)};
}

[[noreturn]] void failNull(const KeyPath& path) { throw DecodeFailure{"null value at " + shownPath(path)}; }

[[noreturn]] void failDoesNotFit(const KeyPath& path) {
    throw DecodeFailure{"number does not fit at " + shownPath(path)};
}

std::string decodeString(const JsonValue& value, const KeyPath& path) {
    auto text = json::stringValue(value);
    if (!text) failWrongType(path, "a string");
    return std::move(*text);
}

bool decodeBoolean(const JsonValue& value, const KeyPath& path) {
    const auto flag = json::booleanValue(value);
    if (!flag) failWrongType(path, "a boolean");
    return *flag;
}

std::int64_t decodeInteger(const JsonValue& value, const KeyPath& path) {
    if (!json::isNumber(value)) failWrongType(path, "an integer");
    const auto integer = json::exactInteger(value);
    if (!integer) failDoesNotFit(path);
    return *integer;
}

double decodeNumber(const JsonValue& value, const KeyPath& path) {
    if (!json::isNumber(value)) failWrongType(path, "a number");
    const auto number = json::numberValue(value);
    if (!number) failDoesNotFit(path);
    return *number;
}

template <class DecodeElement>
auto decodeArrayWith(const JsonValue& value, const KeyPath& path, const DecodeElement& decodeElement) {
    using Element = decltype(decodeElement(value, path));
    if (!json::isArray(value)) failWrongType(path, "an array");
    // Sized once: growing by doubling would hold a long list up to three
    // times over while it moves.
    std::vector<Element> decoded;
    decoded.reserve(json::elementCount(value));
    json::forEachElement(value, [&](const JsonValue& element) {
        const KeyPath itemPath = path.element(decoded.size());
        if (json::isNull(element)) failNull(itemPath);
        decoded.push_back(decodeElement(element, itemPath));
    });
    return decoded;
}

template <auto decodeElement>
auto decodeArray(const JsonValue& value, const KeyPath& path) {
    return decodeArrayWith(value, path, decodeElement);
}

// An object's members; a repeated key counts with its last value.
Members decodeMembers(const JsonValue& value, const KeyPath& path) {
    if (json::isNull(value)) failNull(path);
    if (!json::isObject(value)) failWrongType(path, "an object");
    return json::lastMembers(value);
}

template <typename Decode>
auto requiredField(const Members& members, const KeyPath& path, std::string_view key, Decode decode) {
    const JsonValue* found = members.find(key);
    if (found == nullptr) {
        throw DecodeFailure{"missing key \"" + std::string(key) + "\" at " + shownPath(path)};
    }
    const KeyPath keyPath = path.member(key);
    if (json::isNull(*found)) failNull(keyPath);
    return decode(*found, keyPath);
}

template <typename Decode>
auto optionalField(const Members& members, const KeyPath& path, std::string_view key, Decode decode)
    -> std::optional<decltype(decode(std::declval<JsonValue>(), path))> {
    const JsonValue* found = members.find(key);
    if (found == nullptr || json::isNull(*found)) return std::nullopt;
    return decode(*found, path.member(key));
}

// Braced initialisation runs left to right, so the first violation reported
// is the one of the earliest field.

RawComponent decodeComponent(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawComponent{
        requiredField(members, path, "obj_id", decodeInteger),
        requiredField(members, path, "transform", decodeString),
    };
}

RawObject decodeObject(const JsonValue& value, const KeyPath& path) {
    const Members fields = decodeMembers(value, path);
    return RawObject{
        requiredField(fields, path, "obj_id", decodeInteger),
        optionalField(fields, path, "name", decodeString),
        requiredField(fields, path, "type", decodeString),
        optionalField(fields, path, "color", decodeString),
        optionalField(fields, path, "flags", decodeArray<decodeString>),
        optionalField(fields, path, "path_data", decodeString),
        optionalField(fields, path, "is_closed", decodeBoolean),
        optionalField(fields, path, "file_name", decodeString),
        optionalField(fields, path, "width", decodeInteger),
        optionalField(fields, path, "height", decodeInteger),
        optionalField(fields, path, "components", decodeArray<decodeComponent>),
        optionalField(fields, path, "center_x", decodeNumber),
        optionalField(fields, path, "center_y", decodeNumber),
        optionalField(fields, path, "radius_x", decodeNumber),
        optionalField(fields, path, "radius_y", decodeNumber),
        optionalField(fields, path, "point_0_x", decodeNumber),
        optionalField(fields, path, "point_0_y", decodeNumber),
        optionalField(fields, path, "point_1_x", decodeNumber),
        optionalField(fields, path, "point_1_y", decodeNumber),
        optionalField(fields, path, "point_2_x", decodeNumber),
        optionalField(fields, path, "point_2_y", decodeNumber),
        optionalField(fields, path, "angle_aob", decodeNumber),
    };
}

// Objects one thread decodes at a time.
constexpr std::size_t kObjectsPerPiece = 256;

// An "obj_list", each object converted into the model as soon as it is
// decoded. The list is decoded in pieces on up to `threads` threads, each
// object into its own place; the failure reported is that of the earliest
// object, as when they are decoded in turn.
std::vector<LACObject> decodeObjectList(const JsonValue& value, const KeyPath& path, std::size_t threads) {
    if (!json::isArray(value)) failWrongType(path, "an array");
    std::vector<JsonValue> elements;
    elements.reserve(json::elementCount(value));
    json::forEachElement(value, [&](const JsonValue& element) { elements.push_back(element); });
    std::vector<LACObject> objects;
    reserveOnHugePages(objects, elements.size());
    objects.resize(elements.size());
    const std::size_t pieces = (elements.size() + kObjectsPerPiece - 1) / kObjectsPerPiece;
    std::vector<std::optional<DecodeFailure>> failures(pieces);
    shareWork(pieces, threads, [&](std::size_t piece) {
        const std::size_t end = std::min(elements.size(), (piece + 1) * kObjectsPerPiece);
        try {
            for (std::size_t i = piece * kObjectsPerPiece; i < end; ++i) {
                const KeyPath itemPath = path.element(i);
                if (json::isNull(elements[i])) failNull(itemPath);
                objects[i] = toObject(decodeObject(elements[i], itemPath));
            }
        } catch (DecodeFailure& failure) {
            failures[piece] = std::move(failure);
        }
    });
    for (std::optional<DecodeFailure>& failure : failures) {
        if (failure) throw std::move(*failure);
    }
    return objects;
}

RawCanvas decodeCanvas(const JsonValue& value, const KeyPath& path, std::size_t threads) {
    const Members members = decodeMembers(value, path);
    return RawCanvas{
        requiredField(members, path, "index", decodeInteger),
        optionalField(members, path, "name", decodeString),
        requiredField(members, path, "components", decodeArray<decodeComponent>),
        requiredField(members, path, "obj_list",
                      [&](const JsonValue& list, const KeyPath& listPath) {
                          return decodeObjectList(list, listPath, threads);
                      }),
    };
}

RawLACDocument decodeSceneRoot(const JsonValue& value, const KeyPath& path, std::size_t threads) {
    const Members members = decodeMembers(value, path);
    const auto decodeEachCanvas = [&](const JsonValue& list, const KeyPath& listPath) {
        return decodeArrayWith(list, listPath, [&](const JsonValue& canvas, const KeyPath& canvasPath) {
            return decodeCanvas(canvas, canvasPath, threads);
        });
    };
    return RawLACDocument{
        optionalField(members, path, "Application", decodeString),
        optionalField(members, path, "FileVersion", decodeString),
        requiredField(members, path, "canvas_list", decodeEachCanvas),
    };
}

RawObjectSetting decodeObjectSetting(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawObjectSetting{
        requiredField(members, path, "obj_id", decodeInteger),
        requiredField(members, path, "process_type", decodeString),
    };
}

RawMakingPlate decodeMakingPlate(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawMakingPlate{optionalField(members, path, "components", decodeArray<decodeComponent>)};
}

RawMakingBatch decodeMakingBatch(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawMakingBatch{optionalField(members, path, "making_plate_list", decodeArray<decodeMakingPlate>)};
}

RawCanvasSettings decodeCanvasSettings(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawCanvasSettings{
        requiredField(members, path, "index", decodeInteger),
        requiredField(members, path, "object_settings", decodeArray<decodeObjectSetting>),
        optionalField(members, path, "making_batch_list", decodeArray<decodeMakingBatch>),
    };
}

RawProcessSettings decodeSettingsRoot(const JsonValue& value, const KeyPath& path) {
    const Members members = decodeMembers(value, path);
    return RawProcessSettings{requiredField(members, path, "canvas_settings", decodeArray<decodeCanvasSettings>)};
}

template <typename Record, typename DecodeRoot>
std::variant<Record, JsonDecodeError> decodeFile(std::string bytes, const DecodeRoot& decodeRoot) {
    auto parsed = json::ParsedJson::parse(std::move(bytes));
    if (auto* message = std::get_if<std::string>(&parsed)) return JsonDecodeError{"malformed JSON: " + *message};
    try {
        return decodeRoot(std::get<json::ParsedJson>(parsed).root(), KeyPath{});
    } catch (const DecodeFailure& failure) {
        return JsonDecodeError{failure.text};
    }
}

std::vector<LACComponent> toComponents(std::vector<RawComponent> raw) {
    std::vector<LACComponent> components;
    components.reserve(raw.size());
    for (RawComponent& component : raw) components.push_back(toComponent(std::move(component)));
    return components;
}

LACObject::Kind kindOf(RawObject& raw, std::optional<LACObjectType> type) {
    if (!type) return LACObject::Unknown{};
    switch (*type) {
        case LACObjectType::path:
            return LACObject::Path{std::move(raw.pathData).value_or(""), raw.isClosed.value_or(false)};
        case LACObjectType::rasterImage:
            return LACObject::RasterImage{std::move(raw.fileName).value_or(""), raw.width.value_or(0), raw.height.value_or(0)};
        case LACObjectType::ellipse:
            return LACObject::Ellipse{raw.centerX.value_or(0), raw.centerY.value_or(0), raw.radiusX.value_or(0),
                                      raw.radiusY.value_or(0)};
        case LACObjectType::centerPointArc:
            return LACObject::CenterPointArc{
                Point2D{raw.point0X.value_or(0), raw.point0Y.value_or(0)},
                Point2D{raw.point1X.value_or(0), raw.point1Y.value_or(0)},
                Point2D{raw.point2X.value_or(0), raw.point2Y.value_or(0)},
                raw.angleAOB.value_or(0),
            };
        case LACObjectType::attachedGroup:
        case LACObjectType::modelGroup:
            return LACObject::Group{toComponents(std::move(raw.components).value_or(std::vector<RawComponent>{}))};
    }
    return LACObject::Unknown{};
}

}  // namespace

std::variant<RawLACDocument, JsonDecodeError> decodeScene(std::string bytes, std::size_t threads) {
    return decodeFile<RawLACDocument>(std::move(bytes), [threads](const JsonValue& root, const KeyPath& path) {
        return decodeSceneRoot(root, path, threads);
    });
}

std::variant<RawProcessSettings, JsonDecodeError> decodeProcessSettings(std::string bytes) {
    return decodeFile<RawProcessSettings>(std::move(bytes), decodeSettingsRoot);
}

LACComponent toComponent(RawComponent raw) { return LACComponent{raw.objId, std::move(raw.transform)}; }

LACObject toObject(RawObject raw) {
    const std::optional<LACObjectType> type = lacObjectTypeFromText(raw.type);
    LACObject::Kind kind = kindOf(raw, type);
    return LACObject{
        raw.objId,
        std::move(raw.name).value_or(""),
        type,
        std::move(raw.type),
        std::move(raw.color),
        std::move(raw.flags).value_or(std::vector<std::string>{}),
        std::move(kind),
    };
}

LACCanvas toCanvas(RawCanvas raw) {
    return LACCanvas{raw.index, std::move(raw.name).value_or(""), toComponents(std::move(raw.components)),
                     std::move(raw.objects)};
}

LACProcessSettings toProcessSettings(const RawProcessSettings& raw) {
    LACProcessSettings settings;
    for (const RawCanvasSettings& canvas : raw.canvasSettings) {
        std::map<std::int64_t, std::string> processTypes;
        for (const RawObjectSetting& setting : canvas.objectSettings) {
            processTypes.insert_or_assign(setting.objId, setting.processType);
        }
        // A repeated canvas index replaces the earlier table whole.
        settings.perCanvas.insert_or_assign(canvas.index, std::move(processTypes));
    }
    return settings;
}

std::map<std::int64_t, std::vector<Plate>> plateComponentsByCanvas(const RawProcessSettings& raw) {
    std::map<std::int64_t, std::vector<Plate>> platesByCanvas;
    for (const RawCanvasSettings& canvas : raw.canvasSettings) {
        std::vector<Plate> plates;
        for (const RawMakingBatch& batch : canvas.makingBatchList.value_or(std::vector<RawMakingBatch>{})) {
            for (const RawMakingPlate& plate : batch.makingPlateList.value_or(std::vector<RawMakingPlate>{})) {
                Plate components = toComponents(plate.components.value_or(std::vector<RawComponent>{}));
                if (!components.empty()) plates.push_back(std::move(components));
            }
        }
        // A canvas index seen again keeps its earlier plates unless this entry brings some.
        if (!plates.empty()) platesByCanvas.insert_or_assign(canvas.index, std::move(plates));
    }
    return platesByCanvas;
}

}  // namespace kerfwright
