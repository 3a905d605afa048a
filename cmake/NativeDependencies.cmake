# The libraries of the native build, from Debian's -dev packages.
find_package(ZLIB REQUIRED)
find_package(simdjson REQUIRED)
find_package(CLI11 REQUIRED)
find_package(FastFloat REQUIRED)
# {fmt} as headers only: nothing of it is left to install beside the programs.
find_package(fmt REQUIRED)
find_package(PkgConfig REQUIRED)
pkg_check_modules(UTF8PROC REQUIRED IMPORTED_TARGET GLOBAL libutf8proc)
add_library(utf8proc::utf8proc ALIAS PkgConfig::UTF8PROC)
# libzip through pkg-config: Debian's CMake package file for it also demands the
# separate zipcmp/zipmerge/ziptool programs.
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET GLOBAL libzip)
add_library(libzip::zip ALIAS PkgConfig::LIBZIP)
# libdeflate inflates whole entries, faster than zlib streams them; its
# CMake package file arrived in a later release than Debian's.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET GLOBAL libdeflate)
add_library(libdeflate::libdeflate ALIAS PkgConfig::LIBDEFLATE)
