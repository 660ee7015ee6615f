#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer into build/fuzz/.
#   fuzz/build.sh
set -euo pipefail
repo="$(cd "$(dirname "$0")/.." && pwd)"
out="$repo/build/fuzz"
mkdir -p "$out/obj"
flags=(-std=c++17 -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined
       -fno-sanitize-recover=undefined -I"$repo/server" -I"$repo/fuzz")

# The responder's sources, built once with coverage for every target.
server_sources=(OutBuf.cpp MimeTypes.cpp HTTPServer.cpp AssetStore.cpp CacheFile.cpp DownloadFlights.cpp Md5Hex.cpp
                CdnClientCurl.cpp Md5OpenSsl.cpp)
objects=()
for source in "${server_sources[@]}"; do
  object="$out/obj/${source%.cpp}.o"
  if [ ! -f "$object" ] || [ "$repo/server/$source" -nt "$object" ] || \
     [ -n "$(find "$repo/server" -name '*.h' -newer "$object")" ]; then
    clang++ "${flags[@]}" -fsanitize=fuzzer-no-link -c "$repo/server/$source" -o "$object"
  fi
  objects+=("$object")
done

# outbuf_ops gets its storage from an allocator with a ceiling that the
# fuzzer sets, to drive growth under memory pressure.
bounded="$out/obj/OutBuf-bounded.o"
if [ ! -f "$bounded" ] || [ "$repo/server/OutBuf.cpp" -nt "$bounded" ] || [ "$repo/server/OutBuf.h" -nt "$bounded" ]; then
  clang++ "${flags[@]}" -fsanitize=fuzzer-no-link -DVELMORA_OUTBUF_REALLOC=FuzzBoundedRealloc \
    -c "$repo/server/OutBuf.cpp" -o "$bounded"
fi

for target in is_request_complete process_request outbuf_ops mime_lookup; do
  binary="$out/$target"
  linked=("${objects[@]}")
  [ "$target" = outbuf_ops ] && linked=("$bounded" "${objects[@]:1}")
  if [ ! -f "$binary" ] || [ "$repo/fuzz/$target.cpp" -nt "$binary" ] || \
     [ -n "$(find "${linked[@]}" "$repo/fuzz" -newer "$binary" -name '*.[oh]')" ]; then
    clang++ "${flags[@]}" -fsanitize=fuzzer "$repo/fuzz/$target.cpp" "${linked[@]}" -lcurl -lcrypto -o "$binary"
  fi
done
echo "fuzz targets in $out"
