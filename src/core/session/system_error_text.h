#pragma once
// What a failed file operation is reported as, in the same words on every
// C library: those of the GNU C library, which the native builds run on.
// Another C library (the WebAssembly build's) words some of them otherwise,
// "Filename too long" for "File name too long".

#include <string>

namespace kerfwright {

// The description of an errno value, such as "Permission denied".
std::string systemErrorText(int error);

}  // namespace kerfwright
