# Instrumented builds. KERFWRIGHT_SANITIZE builds everything with
# AddressSanitizer and UndefinedBehaviorSanitizer, any report ending the
# program (scripts/sanitize.sh runs the whole test suite so). KERFWRIGHT_FUZZ
# adds libFuzzer's coverage instrumentation for clang (scripts/fuzz-smoke.sh).

option(KERFWRIGHT_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KERFWRIGHT_FUZZ "Build the fuzz targets with libFuzzer (clang only), sanitizers included" OFF)

if(KERFWRIGHT_FUZZ AND NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "KERFWRIGHT_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++-14")
endif()

if(KERFWRIGHT_SANITIZE OR KERFWRIGHT_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(KERFWRIGHT_FUZZ)
  # Coverage feedback everywhere; only the fuzz programs link the engine.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
