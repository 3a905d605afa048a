# The libraries of the WebAssembly build: static libraries compiled for it
# from Debian's source packages, and Debian's header-only libraries, all under
# one prefix that scripts/build-web-deps.sh fills.
set(KERFWRIGHT_WEB_DEPS "" CACHE PATH "Prefix holding the dependencies built for WebAssembly")
if(NOT EXISTS "${KERFWRIGHT_WEB_DEPS}/lib/libzip.a")
  message(FATAL_ERROR "KERFWRIGHT_WEB_DEPS must name the prefix scripts/build-web-deps.sh filled")
endif()

# kerfwright_web_library(TARGET [ARCHIVE]) makes the imported target of a
# library under the prefix; one without an archive is headers only.
function(kerfwright_web_library target)
  if(ARGC GREATER 1)
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES IMPORTED_LOCATION "${KERFWRIGHT_WEB_DEPS}/lib/${ARGV1}")
  else()
    add_library(${target} INTERFACE IMPORTED GLOBAL)
  endif()
  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${KERFWRIGHT_WEB_DEPS}/include")
endfunction()

kerfwright_web_library(ZLIB::ZLIB libz.a)
kerfwright_web_library(libzip::zip libzip.a)
set_target_properties(libzip::zip PROPERTIES INTERFACE_LINK_LIBRARIES ZLIB::ZLIB)
kerfwright_web_library(libdeflate::libdeflate libdeflate.a)
kerfwright_web_library(simdjson::simdjson libsimdjson.a)
kerfwright_web_library(utf8proc::utf8proc libutf8proc.a)
set_target_properties(utf8proc::utf8proc PROPERTIES INTERFACE_COMPILE_DEFINITIONS UTF8PROC_STATIC)
kerfwright_web_library(CLI11::CLI11)
kerfwright_web_library(FastFloat::fast_float)
kerfwright_web_library(fmt::fmt-header-only)
set_target_properties(fmt::fmt-header-only PROPERTIES INTERFACE_COMPILE_DEFINITIONS FMT_HEADER_ONLY=1)
