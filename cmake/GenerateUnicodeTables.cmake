# Writes C++ range tables for the Alphabetic property and for code points that
# have a numeric value. The ranges must come out sorted for binary search. Run with -DUNICODE_DIR=... -DOUTPUT=...

function(append_range out_var first last)
  set(${out_var} "${${out_var}}    {0x${first}, 0x${last}},\n" PARENT_SCOPE)
endfunction()

# Alphabetic: listed directly, as single code points or ranges.
file(STRINGS "${UNICODE_DIR}/DerivedCoreProperties.txt" alpha_lines
     REGEX "^[0-9A-F]+(\\.\\.[0-9A-F]+)? *; Alphabetic ")
set(alpha "")
foreach(line IN LISTS alpha_lines)
  string(REGEX MATCH "^([0-9A-F]+)(\\.\\.([0-9A-F]+))?" _ "${line}")
  set(first "${CMAKE_MATCH_1}")
  set(last "${CMAKE_MATCH_3}")
  if(last STREQUAL "")
    set(last "${first}")
  endif()
  append_range(alpha "${first}" "${last}")
endforeach()

# Numeric: every code point with a numeric type (decimal, digit or numeric),
# the Han ideographs that stand for numbers among them.
file(STRINGS "${UNICODE_DIR}/extracted/DerivedNumericType.txt" numeric_lines
     REGEX "^[0-9A-F]+(\\.\\.[0-9A-F]+)? *; (Decimal|Digit|Numeric) ")
# The file groups code points by type, so the ranges are sorted here, by
# their first code point written with six hexadecimal digits.
set(numeric_ranges "")
foreach(line IN LISTS numeric_lines)
  string(REGEX MATCH "^([0-9A-F]+)(\\.\\.([0-9A-F]+))?" _ "${line}")
  set(first "${CMAKE_MATCH_1}")
  set(last "${CMAKE_MATCH_3}")
  if(last STREQUAL "")
    set(last "${first}")
  endif()
  string(LENGTH "${first}" width)
  math(EXPR padding "6 - ${width}")
  string(REPEAT "0" ${padding} zeros)
  list(APPEND numeric_ranges "${zeros}${first}:${last}")
endforeach()
list(SORT numeric_ranges)
set(numeric "")
foreach(range IN LISTS numeric_ranges)
  string(REPLACE ":" ";" bounds "${range}")
  list(GET bounds 0 first)
  list(GET bounds 1 last)
  append_range(numeric "${first}" "${last}")
endforeach()

file(WRITE "${OUTPUT}.tmp"
"// Generated from the Unicode character database at build time; do not edit.\n"
"constexpr CodePointRange kAlphabeticRanges[] = {\n${alpha}};\n"
"constexpr CodePointRange kNumericRanges[] = {\n${numeric}};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
