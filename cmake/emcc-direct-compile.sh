#!/bin/sh
# A compiler launcher for CMake builds under emscripten. CMake runs it as
# "emcc-direct-compile.sh emcc ARGS"; it runs emscripten's clang
# ($KERFWRIGHT_EMCC_CLANG) on ARGS with the flags emcc adds
# ($KERFWRIGHT_EMCC_CFLAGS, from `emcc --cflags`), without starting emcc's
# own program for every file. For compiling C only, never for linking.
shift
exec "$KERFWRIGHT_EMCC_CLANG" $KERFWRIGHT_EMCC_CFLAGS "$@"
