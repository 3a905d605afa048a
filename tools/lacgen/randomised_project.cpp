#include "randomised_project.h"

#include <cstdint>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "bench_projects.h"
#include "sequence.h"
#include "text/number_text.h"

namespace lacgen {
namespace {

// How numbers of one path are written: the decimals kept, and whether they
// spread to both sides of zero.
struct NumberStyle {
    int decimals;
    bool signedValues;
};
constexpr NumberStyle kNumberStyles[] = {{3, false}, {3, false}, {0, false}, {6, false}, {2, true}, {4, true}};
constexpr int kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
// Coordinates run over 0 to this many millimetres, or from its negative.
constexpr int kExtentMillimetres = 300;

const char* const kDrawnProcessTypes[] = {"LaserLineCut", "LaserLineCut", "LaserFillEngrave", "LaserLineEngrave",
                                     "KCScoreDraw", "KCPenDraw", "LaserSomethingNew"};
const char* const kNameWords[] = {"Lid", "Base", "Hinge", "Tab", "Slot", "Gear", "Leaf", "Logo", "Border", "Engraving"};
const char* const kOddNameForms[] = {"Tab & slot <{n}>", "\"quoted\" {n}", "Ünïcödé {n}", "日本語 {n}",
                                 "emoji \xF0\x9F\x99\x82 {n}", "two  spaces {n}"};
const char* const kDrawnGroupTypes[] = {"ModelGroup", "AttachedGroup"};
const char* const kDrawnScales[] = {"0.5", "2", "1.25", "0.1"};

void appendNumber(std::string& out, Sequence& random, NumberStyle style) {
    const int scale = kPowersOfTen[style.decimals];
    const int whole = random.between(0, kExtentMillimetres - 1);
    if (style.signedValues && random.chance(50)) out += '-';
    kerfwright::text::appendInteger(out, whole);
    if (style.decimals == 0) return;
    out += '.';
    std::string fraction = std::to_string(random.between(0, scale - 1));
    out.append(static_cast<std::size_t>(style.decimals) - fraction.size(), '0');
    out += fraction;
}

void appendPoints(std::string& out, Sequence& random, NumberStyle style, int count) {
    for (int i = 0; i < 2 * count; ++i) {
        out += ' ';
        appendNumber(out, random, style);
    }
}

// Commands after the first move: mostly a few, sometimes dozens, now and then
// hundreds.
int commandCount(Sequence& random) {
    const int draw = random.between(1, 100);
    if (draw <= 55) return random.between(1, 8);
    if (draw <= 90) return random.between(9, 40);
    if (draw <= 99) return random.between(41, 200);
    return random.between(201, 1000);
}

std::string pathData(Sequence& random, bool closed) {
    const NumberStyle style = random.pick(kNumberStyles);
    std::string data = "M";
    appendPoints(data, random, style, 1);
    for (int k = commandCount(random); k > 0; --k) {
        const int draw = random.between(1, 100);
        if (draw <= 40) {
            data += " L";
            appendPoints(data, random, style, 1);
        } else if (draw <= 80) {
            data += " C";
            appendPoints(data, random, style, 3);
        } else if (draw <= 92) {
            data += " AC";
            appendPoints(data, random, style, 2);
        } else {
            data += " AA";
            appendPoints(data, random, style, 2);
        }
    }
    if (closed) data += " Z";
    return data;
}

std::string replacedNumber(std::string text, std::int64_t id) {
    const std::size_t at = text.find("{n}");
    if (at != std::string::npos) text.replace(at, 3, std::to_string(id));
    return text;
}

// Every object has a name: numbered, a word, a long description, one that
// needs escaping or one in other scripts.
std::string objectName(Sequence& random, const char* kind, std::int64_t id) {
    const int draw = random.between(1, 100);
    if (draw <= 40) return std::string(kind) + " " + std::to_string(id);
    if (draw <= 65) return random.pick(kNameWords);
    if (draw <= 80) {
        std::string name;
        for (int words = random.between(10, 50); words > 0; --words) name += std::string(random.pick(kNameWords)) + " ";
        return name + std::to_string(id);
    }
    return replacedNumber(random.pick(kOddNameForms), id);
}

std::string transformText(Sequence& random) {
    const auto offset = [&] {
        std::string text;
        appendNumber(text, random, {3, true});
        return text;
    };
    const int draw = random.between(1, 100);
    if (draw <= 30) return "1 0 0 1 0 0";
    if (draw <= 70) return "1 0 0 1 " + offset() + " " + offset();
    if (draw <= 90) {
        const auto& [c, s] = random.pick(kRotations);
        return std::string(c) + " " + s + " -" + s + " " + c + " " + offset() + " " + offset();
    }
    const std::string scale = random.pick(kDrawnScales);
    return scale + " 0 0 " + scale + " " + offset() + " " + offset();
}

// Adds objects to one canvas under fresh ids until its share is used.
class RandomCanvas {
public:
    RandomCanvas(Sequence& random, std::int64_t index, int objects) : random_(random), left_(objects) {
        canvas_.index = index;
        canvas_.name = objectName(random, "Canvas", index);
    }

    bool full() const { return left_ <= 0; }

    // One placement at the top level: a leaf, a group (perhaps a deep chain
    // of them) or, now and then, a group placed a few times.
    void addTopLevel() {
        const int draw = random_.between(1, 100);
        if (draw <= 45) {
            place(addLeaf());
        } else if (draw <= 95) {
            place(addGroupChain());
        } else {
            const std::int64_t group = addGroup(random_.between(2, 20));
            for (int times = random_.between(2, 6); times > 0; --times) place(group);
        }
    }

    CanvasSpec& spec() { return canvas_; }

private:
    std::int64_t nextId() {
        --left_;
        return nextId_++;
    }

    void place(std::int64_t id) { canvas_.components.push_back(component(id, transformText(random_))); }

    std::int64_t addLeaf() {
        const std::int64_t id = nextId();
        const int draw = random_.between(1, 100);
        if (draw <= 80) {
            const bool closed = random_.chance(70);
            canvas_.objects.push_back(pathObject(id, objectName(random_, "Path", id), pathData(random_, closed), closed));
        } else if (draw <= 92) {
            canvas_.objects.push_back(ellipseObject(id, objectName(random_, "Ellipse", id), random_.between(0, 200),
                                                    random_.between(0, 200), random_.between(1, 40),
                                                    random_.between(1, 40)));
        } else {
            canvas_.objects.push_back(arcObject(id, objectName(random_, "Arc", id), 0, 10, 5, 15 + id % 4, 10, 10, 1.2));
        }
        if (!random_.chance(5)) canvas_.processTypes.emplace_back(id, random_.pick(kDrawnProcessTypes));
        return id;
    }

    std::int64_t addGroup(int leaves) {
        JsonValue::Array components;
        for (int i = 0; i < leaves && !full(); ++i) components.push_back(component(addLeaf(), transformText(random_)));
        return closeGroup(std::move(components));
    }

    std::int64_t closeGroup(JsonValue::Array components) {
        const std::int64_t id = nextId();
        canvas_.objects.push_back(
            groupObject(id, objectName(random_, "Group", id), std::move(components), random_.pick(kDrawnGroupTypes)));
        return id;
    }

    // Groups inside groups: mostly shallow, sometimes dozens deep.
    std::int64_t addGroupChain() {
        const int draw = random_.between(1, 100);
        const int depth = draw <= 80 ? random_.between(1, 3) : draw <= 95 ? random_.between(4, 12) : random_.between(13, 40);
        std::int64_t inner = addGroup(random_.between(1, 30));
        for (int level = 1; level < depth && !full(); ++level) {
            JsonValue::Array components{component(inner, transformText(random_))};
            for (int i = random_.between(0, 3); i > 0 && !full(); --i) {
                components.push_back(component(addLeaf(), transformText(random_)));
            }
            inner = closeGroup(std::move(components));
        }
        return inner;
    }

    Sequence& random_;
    int left_;
    CanvasSpec canvas_;
    std::int64_t nextId_ = 1;
};

// Some canvases are divided into plates, each taking a share of the top level.
void dividedIntoPlates(Sequence& random, CanvasSpec& canvas) {
    if (!random.chance(40)) return;
    canvas.plates.resize(static_cast<std::size_t>(random.between(2, 6)));
    for (const JsonValue& placed : canvas.components) {
        canvas.plates[static_cast<std::size_t>(random.between(0, static_cast<int>(canvas.plates.size()) - 1))]
            .push_back(placed);
    }
}

}  // namespace

ProjectSpec randomisedProject(std::uint64_t seed, int objects) {
    Sequence random(seed);
    ProjectSpec project;
    project.application = "Kerfwright benchmark generator";
    project.fileVersion = "1.0";
    const int canvasCount = random.between(2, 8);
    std::vector<int> weights;
    int totalWeight = 0;
    for (int c = 0; c < canvasCount; ++c) totalWeight += weights.emplace_back(random.between(1, 10));
    for (int c = 0; c < canvasCount; ++c) {
        RandomCanvas canvas(random, c, objects * weights[static_cast<std::size_t>(c)] / totalWeight);
        while (!canvas.full()) canvas.addTopLevel();
        dividedIntoPlates(random, canvas.spec());
        project.canvases.push_back(std::move(canvas.spec()));
    }
    for (auto& entry : benchSettingsEntries()) project.extraEntries.push_back(std::move(entry));
    return project;
}

}  // namespace lacgen
