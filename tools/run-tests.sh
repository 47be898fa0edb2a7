#!/usr/bin/env bash
# Installs what is missing, builds everything the default build has (tests,
# benchmarks, tools) with AddressSanitizer and UndefinedBehaviorSanitizer
# (in every build below, a compiler warning fails the build: ZUB_WERROR),
# runs every test, runs every benchmark once for a token time (so that none
# can rot); with clang present, builds every target with clang too (without
# optimisation, not run), checks all 32 levels in the gcc build and in the
# clang build of the fuzz targets and that each level's key script and
# perfect key script end in the same state in both, then runs each fuzz
# target for a bounded time, from its seeds and from the game's own files of
# the kind it reads (FUZZ_SECONDS, default 15; 0 skips fuzzing; BENCH=0
# skips the benchmark runs).
set -euo pipefail
cd "$(dirname "$0")/.."

tools/setup.sh

jobs=$(nproc)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZUB_SANITIZE=ON -DZUB_BENCH=ON -DZUB_WERROR=ON >/dev/null
cmake --build build-test -j "$jobs"

# The leak checker does not follow the blocks of dynamic thread-local
# storage (intercept_tls_get_addr=0): with this system's C library it can
# read a block's bounds wrongly at exit, where its tracer then faults
# ("Tracer caught signal 11") after a test has passed, in some builds every
# time. Nothing of ours keeps memory only there.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:intercept_tls_get_addr=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest_log=$(mktemp)
(cd build-test && ctest --output-on-failure -j "$jobs") | tee "$ctest_log"
summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$ctest_log" | tail -n 1)
rm -f "$ctest_log"

# Every benchmark once, briefly: their figures mean nothing under the
# sanitizers, but a benchmark that no longer builds or runs shows here.
if [ "${BENCH:-1}" != 0 ]; then
  for bench in build-test/bench/bench_*; do
    [ -x "$bench" ] || continue
    name=$(basename "$bench")
    # A level's scripted run on OpenGL (Mesa's software rasteriser, under
    # the sanitizers) takes tens of seconds: one level shows that path runs.
    filter=.
    [ "$name" = bench_levels ] && filter='/null/|/a1/opengl'
    if ! "$bench" --benchmark_min_time=0.01 --benchmark_filter="$filter" > "build-test/$name.log" 2>&1; then
      tail -n 40 "build-test/$name.log"
      echo "bench: $name failed"
      exit 1
    fi
    echo "bench: $name ran"
  done
fi

# Seeds for fuzz target $1 made of the game's own files of the kind it
# reads, from the test build's generated content ($content; nothing of it is
# committed), written into folder $2: levels, sounds, skin descriptions (as
# ini files), archives, textures with their skin descriptions, glyph pages
# with theirs and their code page's table. Each is framed as the target
# reads its input (fuzz/FuzzSupport.h's Input: a byte; a chunk is two bytes
# of length, little-endian, and the bytes; a text two bytes of UTF-16 units
# and the units). Files of 256 KB and more are left out (the targets take
# inputs up to 256 KB or 1 MB, and a few large files would slow a short run
# down for little more than the smaller ones of their kind reach), and so is
# the music: a sound of minutes takes seconds to go through fuzz_ogg, where
# the other sounds take a few hundredths. The ini files are the skin
# descriptions below 2 KB: the glyph pages' long ones (6 KB) let the fuzzer
# make inputs that long, which the ini reader goes through ten times slower
# than what ini files hold. A target that reads no kind of file the game
# ships gets none.
content="build-test/content"
le16() { printf '%b' "$(printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)))"; }
chunk() {
  if [ -f "$1" ]; then
    le16 "$(stat -c %s "$1")"
    cat "$1"
  else
    le16 0
  fi
}
text16() {
  le16 $(($(printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | wc -c) / 2))
  printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE
}
# The content's files under its folder $1 (. for the content's own files
# alone) named $2, below $3 KB (256 unless given), one a line.
content_files() {
  if [ "$1" = . ]; then
    find "$content" -maxdepth 1 -type f -name "$2" -size "-${3:-256}k" | sort
  else
    find "$content/$1" -type f -name "$2" -size "-${3:-256}k" | sort
  fi
}
# A seed's name: the file's path in the content, its slashes as dashes.
seed_name() { local path=${1#"$content"/}; echo "${path//\//-}"; }
game_seeds() {
  local name=$1 out=$2 file page mode text
  case $name in
    fuzz_level_replay) for file in $(content_files levels '*.lev'); do cp "$file" "$out/$(seed_name "$file")"; done ;;
    fuzz_ogg) for file in $(content_files sfx '*.ogg' | grep -v /music/); do cp "$file" "$out/$(seed_name "$file")"; done ;;
    fuzz_ini) for file in $(content_files gfx '*.ini' 2); do cp "$file" "$out/$(seed_name "$file")"; done ;;
    fuzz_archive_directory | fuzz_archive_entries)
      for file in $(content_files . 'Tumbrodemo.dat*'); do cp "$file" "$out/$(seed_name "$file")"; done ;;
    fuzz_texture)
      # Texture flags 0; the description beside the image, or none.
      for file in $(content_files gfx '*.tga' | grep -v /font/) $(content_files gfx '*.jpg'); do
        { printf '\x00'; chunk "${file%.*}.ini"; cat "$file"; } > "$out/$(seed_name "$file").bin"
      done ;;
    fuzz_glyph_pages)
      # The code page's table follows (bit 0), 1250 (bit 1), accented
      # letters composed (bit 3); a text in the code page's letters.
      for page in 1250 1252; do
        if [ "$page" = 1250 ]; then
          mode='\x0b' text='Příliš žluťoučký kůň úpěl ďábelské ódy'
        else
          mode='\x09' text='Déjà vu: naïve façade, Größe, Ærø'
        fi
        for file in $(content_files "gfx/font/$page" '*.tga'); do
          { printf '%b' "$mode"; cat "$content/gfx/font/$page/$page.codepointLUT.bin"; chunk "${file%.tga}.ini"
            text16 "$text"; cat "$file"; } > "$out/$(seed_name "$file").bin"
        done
      done ;;
  esac
}

fuzz_seconds=${FUZZ_SECONDS:-15}
if command -v clang++ >/dev/null; then
  # Every target (the game, the tests, the benchmarks, the tools) built by
  # clang as well, with warnings as errors: clang warns where gcc does not.
  # Its warnings do not depend on optimisation, so this build has none and
  # no debug information, which keeps it short; nothing of it is run.
  CC=clang CXX=clang++ cmake -S . -B build-clang -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_FLAGS_DEBUG=-O0 -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DZUB_WERROR=ON >/dev/null
  cmake --build build-clang -j "$jobs"
  echo "clang: every target built with warnings as errors"

  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZUB_FUZZ=ON -DZUB_TESTS=OFF -DZUB_BENCH=OFF -DZUB_WERROR=ON >/dev/null
  targets=()
  if [ "$fuzz_seconds" -gt 0 ]; then
    for src in fuzz/fuzz_*.cpp; do targets+=("$(basename "$src" .cpp)"); done
  fi
  # The fuzz targets and what they link (the engine; the records and texts
  # for fuzz_records; the game for fuzz_level_replay), and the level builder.
  cmake --build build-fuzz -j "$jobs" --target "${targets[@]}" levelbuild

  # Every level, checked and played to its end by its key script and by its
  # perfect key script, leaves the same state in the gcc build and in the
  # clang build: what the game computes does not depend on the compiler.
  # One run of each build for all; all 32 levels (a1 ... h9) must be there
  # and played both ways.
  levels=(content/levels/*.txt)
  for build in build-test build-fuzz; do
    if ! "$build/tools/levelbuild" --check "${levels[@]}" > "$build/levels.check" 2>&1; then
      cat "$build/levels.check"
      echo "levels: the $build build finds problems in the levels"
      exit 1
    fi
    played=$(grep -cE '^[a-h][1239]: hash ' "$build/levels.check" || true)
    perfect=$(grep -cE '^[a-h][1239] perfect: hash .*, score 1000, ' "$build/levels.check" || true)
    if [ "$played" -ne 32 ] || [ "$perfect" -ne 32 ]; then
      cat "$build/levels.check"
      echo "levels: the $build build played $played of the 32 levels by their key scripts and $perfect to 1000"
      exit 1
    fi
  done
  if ! diff -u build-test/levels.check build-fuzz/levels.check; then
    echo "levels: the levels end in other states in the gcc build (-) and the clang build (+)"
    exit 1
  fi
  echo "levels: 32 levels played by their key scripts and their perfect key scripts, each to the same end state in both builds"

  for name in "${targets[@]}"; do
    target=build-fuzz/fuzz/$name
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    seeds=fuzz/seeds/$name
    echo "fuzz: $name for ${fuzz_seconds}s"
    dirs=("$corpus")
    [ -d "$seeds" ] && dirs+=("$seeds")
    if [ "$name" = fuzz_level_replay ]; then
      # Its seeds are levels made by the builder from the current descriptions.
      seeds=build-fuzz/seeds/$name
      mkdir -p "$seeds"
      ZUB_FUZZ_LEVEL_REPLAY_SEEDS="$seeds" "$target" > "build-fuzz/$name.seeds.log" 2>&1
      dirs+=("$seeds")
    fi
    game=build-fuzz/game-seeds/$name
    rm -rf "$game"
    mkdir -p "$game"
    game_seeds "$name" "$game"
    [ -n "$(ls -A "$game")" ] && dirs+=("$game")
    "$target" -max_total_time="$fuzz_seconds" -print_final_stats=0 "${dirs[@]}" > "build-fuzz/$name.log" 2>&1 || {
      tail -n 40 "build-fuzz/$name.log"
      echo "fuzz: $name found a fault"
      exit 1
    }
    tail -n 1 "build-fuzz/$name.log"
  done
fi

# The closing line: what ctest counted.
passed=$(echo "$summary" | sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests failed out of ([0-9]+).*/\2 \1/' | awk '{print $1 - $2}')
failed=$(echo "$summary" | sed -E 's/^[0-9]+% tests passed, ([0-9]+) tests failed.*/\1/')
echo "${passed} passed, ${failed} failed"
