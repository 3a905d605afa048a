#include "geometry/path_parser.h"

#include <array>
#include <cstddef>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "text/number_text.h"
#include "text/unicode.h"

namespace kerfwright {
namespace {

struct Token {
    bool isNumber;
    std::string_view letters;  // the letter run, for a letter token
    double number;             // the value, for a number token
};

// The character at `position`. Path data is nearly all ASCII, and an ASCII
// byte followed by another (other than "\r" before "\n") is a whole
// character, so most characters need no grapheme segmentation.
inline text::Grapheme characterAt(std::string_view text, std::size_t position) {
    const auto byte = static_cast<unsigned char>(text[position]);
    const bool nextIsAscii = position + 1 == text.size() || static_cast<unsigned char>(text[position + 1]) < 0x80;
    if (byte < 0x80 && byte != '\r' && nextIsAscii) return {text.substr(position, 1), byte};
    return text::graphemeAt(text, position);
}

// How the tokenizer reads characters: by user-perceived character in general,
// byte by byte in data that is all ASCII, the usual case. There every byte is
// a character of its own except "\r\n", which is blank space either way:
// neither its characters nor it are a letter, a digit or a sign.
struct UnicodeCharacters {
    static text::Grapheme at(std::string_view text, std::size_t position) { return characterAt(text, position); }
};

struct AsciiCharacters {
    static text::Grapheme at(std::string_view text, std::size_t position) {
        return {std::string_view(text.data() + position, 1), static_cast<unsigned char>(text[position])};
    }
};

bool isAscii(std::string_view text) {
    unsigned char seen = 0;
    for (char c : text) seen |= static_cast<unsigned char>(c);
    return seen < 0x80;
}

bool isExactly(const text::Grapheme& character, char ascii) {
    return character.text.size() == 1 && character.text.front() == ascii;
}

// Walks path data one character at a time.
template <class Characters>
class CharacterCursor {
public:
    CharacterCursor(std::string_view text, std::size_t position) : text_(text), position_(position) {}

    bool atEnd() const { return position_ >= text_.size(); }
    std::size_t position() const { return position_; }
    text::Grapheme current() const { return Characters::at(text_, position_); }
    void advance(const text::Grapheme& character) { position_ += character.text.size(); }

    // Takes the current character when it is exactly one of the two ASCII
    // characters; a "." that carries a combining mark is not ".".
    bool takeEither(char first, char second) {
        if (atEnd()) return false;
        const text::Grapheme character = current();
        if (!isExactly(character, first) && !isExactly(character, second)) return false;
        advance(character);
        return true;
    }

    bool take(char ascii) { return takeEither(ascii, ascii); }

    void takeNumberCharacters() {
        while (!atEnd()) {
            const text::Grapheme character = current();
            if (!text::isNumber(character.firstCodePoint)) return;
            advance(character);
        }
    }

    void takeLetters() {
        while (!atEnd()) {
            const text::Grapheme character = current();
            if (!text::isLetter(character.firstCodePoint)) return;
            advance(character);
        }
    }

private:
    std::string_view text_;
    std::size_t position_;
};

// The longest text at `start` that looks like a number: sign, digits, one
// point with digits, and an exponent; the conversion decides whether it is one.
template <class Characters>
std::size_t numericScanEnd(std::string_view data, std::size_t start) {
    CharacterCursor<Characters> cursor(data, start);
    cursor.takeEither('-', '+');
    cursor.takeNumberCharacters();
    if (cursor.take('.')) cursor.takeNumberCharacters();
    if (cursor.takeEither('e', 'E')) {
        cursor.takeEither('-', '+');
        cursor.takeNumberCharacters();
    }
    return cursor.position();
}

// In data that is all ASCII, the usual number is read in the same pass that
// finds its end and added as a token: where no exponent follows, the scan
// above would find the same token and read it as the same value. Gives where
// the number ends, or nothing, adding nothing, for any other start.
template <class Characters>
std::optional<std::size_t> takeShortDecimal(std::string_view data, std::size_t start, std::vector<Token>& tokens) {
    if constexpr (!std::is_same_v<Characters, AsciiCharacters>) {
        return std::nullopt;
    } else {
        const std::optional<text::ShortDecimal> read = text::readShortDecimal(data.substr(start));
        if (!read) return std::nullopt;
        const std::size_t end = start + read->length;
        if (end < data.size() && (data[end] == 'e' || data[end] == 'E')) return std::nullopt;
        tokens.push_back({true, {}, read->value});
        return end;
    }
}

// Fills `tokens`, which comes empty.
template <class Characters>
void tokenize(std::string_view data, std::vector<Token>& tokens) {
    // A rough guess at the token count of typical path data.
    tokens.reserve(data.size() / 4 + 1);
    std::size_t position = 0;
    while (position < data.size()) {
        const text::Grapheme character = Characters::at(data, position);
        if (text::isWhitespace(character.firstCodePoint) || isExactly(character, ',')) {
            position += character.text.size();
            continue;
        }
        if (text::isLetter(character.firstCodePoint)) {
            CharacterCursor<Characters> cursor(data, position);
            cursor.takeLetters();
            tokens.push_back({false, data.substr(position, cursor.position() - position), 0});
            position = cursor.position();
            continue;
        }
        if (const std::optional<std::size_t> end = takeShortDecimal<Characters>(data, position, tokens)) {
            position = *end;
            continue;
        }
        const std::size_t end = numericScanEnd<Characters>(data, position);
        if (end == position) {
            // Nothing numeric here, such as "#" or "(": skip the character.
            position += character.text.size();
            continue;
        }
        if (const std::optional<double> value = text::parseNumberToken(data.substr(position, end - position))) {
            tokens.push_back({true, {}, *value});
        }
        position = end;
    }
}

// The most tokens a thread keeps for the next parse: 4 MiB, those of some
// 18,000 cubic commands.
constexpr std::size_t kMostTokensKept = 131072;

// Operand count of a command, or -1 for a letter run that is no command.
int arityFor(std::string_view letters) {
    if (letters == "M" || letters == "L") return 2;
    if (letters == "C") return 6;
    if (letters == "AC" || letters == "AA") return 4;
    if (letters == "Z" || letters == "z") return 0;
    return -1;
}

PathCommand buildCommand(std::string_view letters, const std::array<double, 6>& v) {
    if (letters == "M") return {PathCommand::MoveTo{{v[0], v[1]}}};
    if (letters == "L") return {PathCommand::LineTo{{v[0], v[1]}}};
    // The cubic lists its end point before its two control points.
    if (letters == "C") return {PathCommand::CubicBezier{{v[2], v[3]}, {v[4], v[5]}, {v[0], v[1]}}};
    if (letters == "AC") return {PathCommand::ArcAC{{v[0], v[1]}, {v[2], v[3]}}};
    if (letters == "AA") return {PathCommand::ArcAA{{v[0], v[1]}, {v[2], v[3]}}};
    return {PathCommand::ClosePath{}};
}

PathParseWarning unexpectedNumber(double value) {
    return {PathParseWarning::UnexpectedToken{"number(" + text::describeNumber(value) + ")"}};
}

// Hands each command the tokens make to `take`, in order, and gives the
// warnings of what they cannot make.
template <class Take>
std::vector<PathParseWarning> commandsOf(const std::vector<Token>& tokens, Take&& take) {
    std::vector<PathParseWarning> warnings;
    std::size_t i = 0;
    while (i < tokens.size()) {
        const Token& token = tokens[i];
        if (token.isNumber) {
            warnings.push_back(unexpectedNumber(token.number));
            ++i;
            continue;
        }
        const int arity = arityFor(token.letters);
        if (arity < 0) {
            warnings.push_back({PathParseWarning::UnknownCommand{std::string(token.letters)}});
            ++i;
            while (i < tokens.size() && tokens[i].isNumber) ++i;
            continue;
        }
        std::array<double, 6> operands{};
        for (int got = 0; got < arity; ++got) {
            const std::size_t operandIndex = i + 1 + static_cast<std::size_t>(got);
            if (operandIndex >= tokens.size() || !tokens[operandIndex].isNumber) {
                warnings.push_back({PathParseWarning::Truncated{std::string(token.letters), arity, got}});
                return warnings;
            }
            operands[static_cast<std::size_t>(got)] = tokens[operandIndex].number;
        }
        take(buildCommand(token.letters, operands));
        i += 1 + static_cast<std::size_t>(arity);
    }
    return warnings;
}

// Tokenizes the data into this thread's token list and hands it to `use`.
// Each thread keeps its token list from one parse to the next, rather than
// allocating one for each, but not the large list of a long path.
template <class Use>
auto withTokens(std::string_view data, Use&& use) {
    thread_local std::vector<Token> tokens;
    tokens.clear();
    if (isAscii(data)) {
        tokenize<AsciiCharacters>(data, tokens);
    } else {
        tokenize<UnicodeCharacters>(data, tokens);
    }
    auto result = use(tokens);
    if (tokens.capacity() > kMostTokensKept) tokens = {};
    return result;
}

}  // namespace

PathParseResult PathParser::parse(std::string_view data) {
    return withTokens(data, [](const std::vector<Token>& tokens) {
        PathParseResult result;
        result.commands.reserve(tokens.size() / 2 + 1);
        result.warnings = commandsOf(tokens, [&](PathCommand&& command) { result.commands.push_back(std::move(command)); });
        return result;
    });
}

std::vector<PathParseWarning> PathParser::parseEach(std::string_view data,
                                                    const std::function<void(const PathCommand&)>& take) {
    return withTokens(data, [&](const std::vector<Token>& tokens) { return commandsOf(tokens, take); });
}

}  // namespace kerfwright
