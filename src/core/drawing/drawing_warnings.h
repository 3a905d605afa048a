#pragma once
// The warnings of a drawing: their texts, and the conversion's limit on
// warning text that they are counted against as they are added.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "geometry/path_parser.h"
#include "scene/flattener.h"
#include "text/number_text.h"
#include "values/input_limits.h"

namespace kerfwright::resolving {

inline constexpr std::string_view kSkipped = " \u2014 skipped";

// The pieces' texts one after the other, whole numbers written in decimal.
template <class... Pieces>
std::string concatenated(const Pieces&... pieces) {
    std::string out;
    (
        [&] {
            if constexpr (std::is_integral_v<Pieces>) {
                text::appendInteger(out, pieces);
            } else {
                out += pieces;
            }
        }(),
        ...);
    return out;
}

// What one conversion of a document has used of its limits, carried from
// each drawing to the next.
struct ConversionBudget {
    FlattenBudget flatten;
    std::uint64_t imageDataBytes = 0;
    std::uint64_t elementTextBytes = 0;
    bool elementTextFull = false;  // an element did not fit: no more are tried
    std::uint64_t warningTextBytes = 0;
    bool warningTextFull = false;  // a warning did not fit: no more are kept
};

// The warning texts of one drawing, within the conversion's limit on warning
// text. Once a text does not fit, no further text is built: the rest are only
// counted, so that a warning repeated without end costs no time either, and
// one closing text says how many were left out.
class WarningList {
public:
    explicit WarningList(ConversionBudget& budget) : budget_(budget) {}

    // `quoted` is the size of the input text the warning quotes, so that a
    // text that cannot fit is never built.
    template <class Describe>
    void add(std::size_t quoted, Describe describe) {
        if (budget_.warningTextFull || budget_.warningTextBytes + quoted > limits::kMaxWarningTextBytes) {
            skip(1);
            return;
        }
        std::string text = describe();
        if (budget_.warningTextBytes + text.size() > limits::kMaxWarningTextBytes) {
            skip(1);
            return;
        }
        budget_.warningTextBytes += text.size();
        texts_.push_back(std::move(text));
    }

    void addUnbounded(std::string text) { texts_.push_back(std::move(text)); }

    // The texts, and the closing one when any were left out.
    std::vector<std::string> finish() &&;

    bool isFull() const { return budget_.warningTextFull; }
    void skip(std::int64_t count) {
        budget_.warningTextFull = true;
        skipped_ += count;
    }

private:
    ConversionBudget& budget_;
    std::vector<std::string> texts_;
    std::int64_t skipped_ = 0;
};

// The flattener's warnings, then whether the walk was cut short, which is
// said whatever the warning limit.
void addFlattenWarnings(const FlattenResult& flattened, WarningList& warnings);

// What parsing a path object told, beyond its commands: kept for every
// object, since each placement repeats its object's warnings.
struct ParseNotes {
    std::vector<PathParseWarning> warnings;
    bool tooLong = false;  // its data passes the limit and was not parsed
};

// A placement repeats its object's path warnings, one by one until the
// warning limit is reached and then only counted.
void addPathWarnings(const ParseNotes& notes, std::int64_t objId, WarningList& warnings);

// Why a placement that was measured and counted is still not drawn.
enum class SkipReason { notStartingWithMove, nonFiniteNumber, missingImage, unreadableImage };

struct Skip {
    std::size_t position;  // in the flattened placements
    std::int64_t objId;
    SkipReason reason;
    std::string_view imageName;  // for a missing image
};

enum class LimitReached { elementText, imageData };

struct LimitSkip {
    std::int64_t objId;
    LimitReached limit;
};

// The warning for a placement left out, and for one past a limit.
std::string describe(const Skip& skip);
std::string describe(const LimitSkip& skip);

}  // namespace kerfwright::resolving
