#pragma once
// A ZIP archive as its reader should see it: ending in the one end record
// that truly ends it. The archive library weighs every end record it finds
// in an archive's last 64 KiB against all the entries, so an archive whose
// comment repeats its end record thousands of times would take minutes to
// open. The view hides everything after the true end record's fixed part
// (its comment, with any copies in it) and everything before it from the
// library's search, and changes no byte of any entry.

struct zip_source;

namespace kerfwright::zip {

// The view over `source`, which it takes ownership of; `source` itself when
// no end record ends the archive exactly (a damaged archive, left for the
// library to judge) or when the source cannot be read. Null only when the
// view cannot be made, with `source` freed.
zip_source* endRecordView(zip_source* source);

}  // namespace kerfwright::zip
