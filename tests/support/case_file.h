#pragma once
// Case files: one case per line, its fields separated by tabs, under
// tests/cases/. Lines that are empty or start with "#" are notes. Within a
// field, \t, \n, \r, \\ and \xHH stand for the bytes no line can hold, so
// that any text, malformed UTF-8 included, can be written down.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kerfwright::testing {

struct Case {
    std::string where;  // "file.tsv:line", for failure messages
    std::vector<std::string> fields;
};

// A text in single quotes, or "-" when there is none: how case files write
// an optional text.
inline std::string quotedOrDash(const std::optional<std::string>& text) { return text ? "'" + *text + "'" : "-"; }

// The text a field of a case file stands for; a bad escape fails the test at `where`.
std::string unescaped(const std::string& field, const std::string& where);

// Output as a case file writes it: a backslash and control bytes other than
// line ends and tabs escaped.
std::string escaped(const std::string& text);

// `text` with every `from` replaced by `to`.
std::string replacedAll(std::string text, std::string_view from, const std::string& to);

// Every case of tests/cases/NAME; a case with another number of fields fails the test.
std::vector<Case> readCases(const std::string& name, std::size_t fieldCount);

}  // namespace kerfwright::testing
