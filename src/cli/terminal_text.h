#pragma once
// Text from a project as the tool prints it. A canvas, image or file name
// may hold control characters: printed raw, an escape sequence could clear
// the screen or retitle the terminal, and a line end would split one file's
// line in two. Each control character (C0, DEL and C1), each byte that is
// no UTF-8, and the backslash itself are shown as \xHH (\\ for the
// backslash); the files on disk keep their real names.

#include <string>
#include <string_view>

namespace kerfwright::cli {

std::string terminalText(std::string_view text);

}  // namespace kerfwright::cli
