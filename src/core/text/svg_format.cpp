#include "text/svg_format.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "text/number_text.h"
#include "text/powers_of_ten.h"
#include "text/unicode.h"

namespace kerfwright::SVGFormat {
namespace {

// Whole values from -2^63 up to, not including, 2^63 fit a signed 64-bit
// integer; both bounds are exact doubles.
constexpr double kInt64Lower = -9223372036854775808.0;
constexpr double kInt64UpperExclusive = 9223372036854775808.0;

bool fitsInt64(double wholeValue) {
    return wholeValue >= kInt64Lower && wholeValue < kInt64UpperExclusive;
}

// XML 1.0 allows tab, line feed and carriage return among the C0 controls and
// nothing else of them.
bool isForbiddenAsciiControl(unsigned char byte) {
    return byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
}

const char* entityFor(char c) {
    switch (c) {
        case '&': return "&amp;";
        case '<': return "&lt;";
        case '>': return "&gt;";
        case '"': return "&quot;";
        case '\'': return "&apos;";
        default: return nullptr;
    }
}

// A byte below 0x80 is one code point on its own.
void appendEscapedAscii(std::string& out, char c) {
    if (const char* entity = entityFor(c)) {
        out += entity;
    } else if (isForbiddenAsciiControl(static_cast<unsigned char>(c))) {
        text::appendUtf8(out, text::kReplacementCharacter);
    } else {
        out.push_back(c);
    }
}


// Called for every coordinate written, where std::pow would cost more than
// all the rest of the formatting.
double powerOfTen(int exponent) {
    if (exponent >= 0 && exponent < static_cast<int>(std::size(text::kExactPowersOfTen))) {
        return text::kExactPowersOfTen[exponent];
    }
    return std::pow(10.0, exponent);
}

// printf's "%g": six significant digits, exponent form below 10^-4 and from
// 10^6 on.
constexpr int kSignificantDigits = 6;
constexpr int kSmallestPlainExponent = -4;
// Scaled values below this are rounded and written by the short way below:
// their whole numbers of units are exact doubles and int64 values with room
// to spare (2^53 is about 9 * 10^15).
constexpr double kExactUnitsLimit = 1e15;
// The places after the point the short way handles; others take the general way.
constexpr int kMostPlaces = 5;

// Units per whole for each number of places, and the steps of rounding to six digits.
constexpr const auto& kPowersOfTen = text::kIntegerPowersOfTen;

// The whole number nearest a magnitude below 2^52, halves away from zero as
// std::round rounds, without a call into the maths library: adding one half
// and truncating. From one half up the sum is exact, except where it
// reaches the next power of two; there its rounding moves it by one unit in
// the magnitude's last place, which cannot carry it to a whole number it
// did not reach. Below one half the answer is 0, where the sum could still
// round up to 1 (0.49999999999999994 + 0.5).
std::uint64_t roundedMagnitude(double magnitude) {
    if (magnitude < 0.5) return 0;
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(magnitude + 0.5));
}

// The short way writes whole parts of up to six digits, all that "%g" shows
// without an exponent.
constexpr std::uint32_t kWholeLimit = 1000000;

// "00" to "99", for writing digits two at a time.
struct DigitPairs {
    std::array<char, 200> text{};
    constexpr DigitPairs() {
        for (int i = 0; i < 100; ++i) {
            text[2 * i] = static_cast<char>('0' + i / 10);
            text[2 * i + 1] = static_cast<char>('0' + i % 10);
        }
    }
};
constexpr DigitPairs kDigitPairs;

std::uint64_t twoDigits(std::uint32_t value) {
    std::uint16_t digits;
    std::memcpy(&digits, kDigitPairs.text.data() + 2 * value, sizeof digits);
    return digits;
}

// The six digits of a value below 10^6, leading zeros included, as the low
// six bytes of a word, the first digit lowest: the order they are stored in.
std::uint64_t sixDigits(std::uint32_t value) {
    return twoDigits(value / 10000) | twoDigits(value / 100 % 100) << 16 | twoDigits(value % 100) << 32;
}
static_assert(std::endian::native == std::endian::little, "digits are stored from the low byte of a word");

// Decimal digits of a value below 10^6, none for 0; the comparisons do not
// wait for one another.
int decimalDigitCount(std::uint32_t value) {
    return (value >= 1) + (value >= 10) + (value >= 100) + (value >= 1000) + (value >= 10000) + (value >= 100000);
}

// value / 10^e, for e up to kMostPlaces and any value below 10^kMostPlaces,
// is (value * kReciprocals[e]) >> kReciprocalShift: a multiplication, where
// dividing by a divisor known only at run time would be the slowest step of
// writing a number. With the reciprocal rounded up, the product overshoots
// value / 10^e by less than value / 2^shift, which stays below 1 / 10^e (the
// least room value / 10^e leaves below the next whole number) as long as
// value * 10^e < 2^shift.
constexpr int kReciprocalShift = 40;
static_assert(kPowersOfTen[kMostPlaces] * kPowersOfTen[kMostPlaces] < (std::uint64_t{1} << kReciprocalShift),
              "the reciprocals divide every fraction the short way cuts exactly");
constexpr std::array<std::uint64_t, kMostPlaces + 1> kReciprocals = [] {
    std::array<std::uint64_t, kMostPlaces + 1> reciprocals{};
    for (std::size_t e = 0; e < reciprocals.size(); ++e) {
        reciprocals[e] = ((std::uint64_t{1} << kReciprocalShift) + kPowersOfTen[e] - 1) / kPowersOfTen[e];
    }
    return reciprocals;
}();

std::uint32_t dividedByPowerOfTen(std::uint32_t value, int exponent) {
    return static_cast<std::uint32_t>((std::uint64_t{value} * kReciprocals[exponent]) >> kReciprocalShift);
}

// The text "%g" gives the double nearest to the value rounded to `Places`
// decimals, written from the integer digits of its units at `at`; returns
// its end, or nullptr where those cannot tell: a whole part of seven digits
// or more, exponent form, a tie when rounding to six digits (which the
// binary value decides) or a carry when rounding. The double lies so close
// to the decimal value (within 10^-10 of it below 10^6) that away from a tie
// both round the same way. A whole value comes out as an integer.
//
// The digits of the whole part and of the fraction are set as two words and
// joined around the point, eight bytes stored at once after the sign, so
// that `at` needs room for nine.
template <int Places>
char* writeSmallNum(char* at, double value) {
    constexpr std::uint64_t kUnitsPerWhole = kPowersOfTen[Places];
    const double scaled = value * text::kExactPowersOfTen[Places];
    const double scaledMagnitude = std::fabs(scaled);
    if (!(scaledMagnitude < kExactUnitsLimit)) return nullptr;
    const std::uint64_t magnitude = roundedMagnitude(scaledMagnitude);
    // What rounds to 0 is written "0", without a sign.
    const bool negative = scaled < 0 && magnitude != 0;
    if (magnitude >= kWholeLimit * kUnitsPerWhole) return nullptr;
    const auto whole = static_cast<std::uint32_t>(magnitude / kUnitsPerWhole);
    const auto fraction = static_cast<std::uint32_t>(magnitude - whole * kUnitsPerWhole);
    // Below 10^-4 "%g" turns to exponent form.
    if (whole == 0 && fraction != 0 && fraction * kPowersOfTen[-kSmallestPlainExponent] < kUnitsPerWhole) {
        return nullptr;
    }

    // The fraction is cut to the digits six significant ones leave it.
    const int wholeDigits = decimalDigitCount(whole);
    const int fractionDigits = std::min(Places, kSignificantDigits - wholeDigits);
    const int excess = Places - fractionDigits;
    const auto dropped = static_cast<std::uint32_t>(kPowersOfTen[excess]);
    std::uint32_t kept = dividedByPowerOfTen(fraction, excess);
    const std::uint32_t twiceRemainder = 2 * (fraction - kept * dropped);
    if (twiceRemainder == dropped) return nullptr;
    kept += twiceRemainder > dropped ? 1 : 0;
    if (kept == kPowersOfTen[fractionDigits]) return nullptr;

    // The kept digits as six, zeros after them; "%g" drops those trailing
    // zeros, and the point with them when no digit is left.
    const std::uint64_t fractionText = sixDigits(kept * dropped * static_cast<std::uint32_t>(kPowersOfTen[6 - Places]));
    const std::uint64_t nonZeroDigits = fractionText ^ 0x303030303030u;
    const int shownFraction = nonZeroDigits == 0 ? 0 : (std::bit_width(nonZeroDigits) + 7) / 8;
    const int wholeLength = std::max(wholeDigits, 1);
    const std::uint64_t text = (sixDigits(whole) >> (8 * (6 - wholeLength))) |
                               (std::uint64_t{'.'} << (8 * wholeLength)) | (fractionText << (8 * (wholeLength + 1)));
    *at = '-';
    at += negative ? 1 : 0;
    std::memcpy(at, &text, sizeof text);
    return at + wholeLength + (shownFraction > 0 ? 1 + shownFraction : 0);
}

// The most a short way writes, with the bytes beyond its text it sets.
constexpr std::size_t kLongestSmallNum = 1 + sizeof(std::uint64_t);
static_assert(kLongestSmallNum <= kLongestNum, "writeNum's callers leave room for the short way");

char* writeSmallNum(char* at, double value, int precision) {
    switch (precision) {
        case 1: return writeSmallNum<1>(at, value);
        case 2: return writeSmallNum<2>(at, value);
        case 3: return writeSmallNum<3>(at, value);
        case 4: return writeSmallNum<4>(at, value);
        case 5: return writeSmallNum<5>(at, value);
        default: return nullptr;
    }
}
static_assert(kMostPlaces == 5, "writeSmallNum has a case for every number of places the short way writes");

// The rest, rare in drawings: exponent form, ties and carries, other
// precisions, non-finite values.
bool appendGeneralNum(std::string& out, double value, int precision) {
    if (std::isnan(value)) {
        out += "nan";
        return false;
    }
    const double scale = powerOfTen(precision);
    const double rounded = std::round(value * scale) / scale;
    if (precision < 6 && rounded == std::round(rounded) && fitsInt64(rounded)) {
        // The integer conversion also turns a negative zero into 0.
        text::appendInteger(out, static_cast<std::int64_t>(rounded));
        return true;
    }
    text::appendPrintfG(out, rounded);
    return std::isfinite(rounded);
}

}  // namespace

bool appendNum(std::string& out, double value, int precision) {
    char text[kLongestSmallNum];
    if (const char* end = writeSmallNum(text, value, precision)) {
        out.append(text, static_cast<std::size_t>(end - text));
        return true;
    }
    return appendGeneralNum(out, value, precision);
}

detail::WrittenNum detail::writeNum(char* at, double value) {
    if (char* end = writeSmallNum(at, value, kPrecision)) return {end, true};
    std::string text;
    const bool finite = appendGeneralNum(text, value, kPrecision);
    return {std::copy(text.begin(), text.end(), at), finite};
}

double roundedMatrixEntry(double value) { return std::round(value * 1000000.0) / 1000000.0; }

void appendMatrixEntry(std::string& out, double value) { text::appendPrintfG(out, roundedMatrixEntry(value)); }

void appendEscapedXML(std::string& out, std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        const char byte = text[position];
        if (static_cast<unsigned char>(byte) < 0x80) {
            appendEscapedAscii(out, byte);
            ++position;
            continue;
        }
        const text::DecodedCodePoint decoded = text::decodeUtf8(text, position);
        // Malformed bytes decode as U+FFFD already; U+FFFE and U+FFFF are the
        // non-ASCII code points that XML forbids.
        if (decoded.value == text::kReplacementCharacter || decoded.value == 0xFFFE || decoded.value == 0xFFFF) {
            text::appendUtf8(out, text::kReplacementCharacter);
        } else {
            out.append(text.substr(position, decoded.length));
        }
        position += decoded.length;
    }
}

void appendObjectAttributes(std::string& out, std::int64_t objectId, std::string_view name) {
    out += " data-obj-id=\"";
    text::appendInteger(out, objectId);
    out += '"';
    if (!name.empty()) {
        out += " data-name=\"";
        appendEscapedXML(out, name);
        out += '"';
    }
}

}  // namespace kerfwright::SVGFormat
