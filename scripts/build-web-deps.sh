#!/usr/bin/env bash
# Builds the libraries of the WebAssembly build into the prefix given (default
# build/web-deps), from Debian's own source packages: zlib, libzip,
# libdeflate, simdjson and utf8proc, compiled with the emscripten compiler.
# fast_float, CLI11 and {fmt} are header-only and copied from their Debian
# packages.
# Nothing is fetched from anywhere but the Debian archive, and a prefix
# already built is kept.
set -euo pipefail
cd "$(dirname "$0")/.."

prefix="$(realpath -m "${1:-build/web-deps}")"
stamp="$prefix/built-from"
sources=(zlib libzip libdeflate simdjson utf8proc)
# The prefix is built again when Debian has newer sources or headers.
version() { apt-cache showsrc "$1" | sed -n 's/^Version: //p' | head -n 1; }
headers=(libfast-float-dev libcli11-dev libfmt-dev)
wanted="$(for s in "${sources[@]}"; do version "$s"; done | tr '\n' ' ')$(dpkg-query -W -f='${Version} ' "${headers[@]}")"
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ]; then exit 0; fi

export NODE_PATH=/usr/share/nodejs  # the compiler's JavaScript optimiser needs Debian's modules
rm -rf "$prefix"
mkdir -p "$prefix/src" "$prefix/include" "$prefix/lib"
(cd "$prefix/src" && apt-get source -qq "${sources[@]}" >/dev/null 2>&1)
src() { find "$prefix/src" -maxdepth 1 -type d -name "$1-*" | head -n 1; }

(cd "$(src zlib)" && emconfigure ./configure --static --prefix="$prefix" >/dev/null &&
  emmake make -j"$(nproc)" libz.a >/dev/null && emmake make install >/dev/null)

# emcc starts a program of its own for every file it compiles, half a second
# each: libzip's hundred-odd files are compiled by emscripten's clang
# directly, with the flags emcc adds, when a probe compiled both ways comes
# out the same byte for byte (else by emcc itself). On Debian 12 all of
# libzip comes out the same either way, in a third of the time.
launcher=()
export KERFWRIGHT_EMCC_CFLAGS KERFWRIGHT_EMCC_CLANG
KERFWRIGHT_EMCC_CFLAGS="$(emcc --cflags)"
probe="$prefix/src/probe"
printf 'int tripled(int x) { return 3 * x; }\n' >"$probe.c"
emcc -O3 -DNDEBUG -c "$probe.c" -o "$probe-emcc.o"
for KERFWRIGHT_EMCC_CLANG in clang-14 clang; do
  if "$KERFWRIGHT_EMCC_CLANG" $KERFWRIGHT_EMCC_CFLAGS -O3 -DNDEBUG -c "$probe.c" -o "$probe-direct.o" 2>/dev/null &&
    cmp -s "$probe-emcc.o" "$probe-direct.o"; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER="$(pwd)/cmake/emcc-direct-compile.sh")
    break
  fi
done

# CMake's type-size checks misfire under the emscripten toolchain: the sizes
# of WebAssembly's 32-bit target are given instead.
emcmake cmake -C "$(pwd)/cmake/emscripten-libzip-checks.cmake" "${launcher[@]}" \
  -S "$(src libzip)" -B "$prefix/src/libzip-build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
  -DZLIB_INCLUDE_DIR="$prefix/include" -DZLIB_LIBRARY="$prefix/lib/libz.a" \
  -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF -DENABLE_OPENSSL=OFF -DENABLE_GNUTLS=OFF \
  -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF -DENABLE_WINDOWS_CRYPTO=OFF \
  -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF -DBUILD_DOC=OFF \
  -DSIZEOF_OFF_T=8 -DHAVE_SIZEOF_OFF_T=TRUE -DSIZEOF_SIZE_T=4 -DHAVE_SIZEOF_SIZE_T=TRUE >/dev/null
cmake --build "$prefix/src/libzip-build" -j"$(nproc)" >/dev/null 2>&1
cmake --install "$prefix/src/libzip-build" >/dev/null

# libdeflate's decompressor and checksum, without the parts for particular
# processors, which WebAssembly has none of.
libdeflate="$(src libdeflate)"
for part in deflate_decompress crc32 utils; do
  emcc -O2 -I"$libdeflate" -c "$libdeflate/lib/$part.c" -o "$prefix/src/libdeflate-$part.o"
done
emar rcs "$prefix/lib/libdeflate.a" "$prefix/src"/libdeflate-*.o
cp "$libdeflate/libdeflate.h" "$prefix/include/"

# simdjson's single-file source and utf8proc's single C file, as they are.
simdjson="$(src simdjson)/singleheader"
em++ -std=c++20 -O2 -fwasm-exceptions -w -c "$simdjson/simdjson.cpp" -o "$prefix/src/simdjson.o"
emar rcs "$prefix/lib/libsimdjson.a" "$prefix/src/simdjson.o"
cp "$simdjson/simdjson.h" "$prefix/include/"
utf8proc="$(src utf8proc)"
emcc -O2 -DUTF8PROC_STATIC -c "$utf8proc/utf8proc.c" -o "$prefix/src/utf8proc.o"
emar rcs "$prefix/lib/libutf8proc.a" "$prefix/src/utf8proc.o"
cp "$utf8proc/utf8proc.h" "$prefix/include/"

cp -r /usr/include/fast_float /usr/include/CLI /usr/include/fmt "$prefix/include/"
echo "$wanted" > "$stamp"
