# Character properties that utf8proc does not carry (Alphabetic, Numeric_Type)
# come from the Unicode data files of Debian's unicode-data package, turned into
# sorted range tables at build time.
set(KERFWRIGHT_UNICODE_DIR "/usr/share/unicode" CACHE PATH "Folder with the Unicode character database")
set(KERFWRIGHT_UNICODE_TABLES "${CMAKE_BINARY_DIR}/generated/unicode_tables.inc")
add_custom_command(
  OUTPUT "${KERFWRIGHT_UNICODE_TABLES}"
  COMMAND ${CMAKE_COMMAND}
          -DUNICODE_DIR=${KERFWRIGHT_UNICODE_DIR}
          -DOUTPUT=${KERFWRIGHT_UNICODE_TABLES}
          -P "${CMAKE_SOURCE_DIR}/cmake/GenerateUnicodeTables.cmake"
  DEPENDS "${CMAKE_SOURCE_DIR}/cmake/GenerateUnicodeTables.cmake"
          "${KERFWRIGHT_UNICODE_DIR}/DerivedCoreProperties.txt"
          "${KERFWRIGHT_UNICODE_DIR}/extracted/DerivedNumericType.txt"
  COMMENT "Generating Unicode property tables")
add_custom_target(unicode_tables DEPENDS "${KERFWRIGHT_UNICODE_TABLES}")
