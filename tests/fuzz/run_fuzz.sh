#!/bin/sh
# Builds the ZIP reader fuzzer with clang in its own folder and runs it for a bounded time.
# Usage: run_fuzz.sh <source folder> <build folder> [seconds]. Fails on any crash.
set -eu
source_dir=$1
build_dir=$2
seconds=${3:-60}

CC=clang CXX=clang++ cmake -S "$source_dir/fuzz" -B "$build_dir" -G Ninja \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build_dir"
mkdir -p "$build_dir/corpus" "$build_dir/crashes"
python3 "$source_dir/fuzz/make_seeds.py" "$build_dir/corpus"
cd "$build_dir/crashes"
exec "$build_dir/zip_reader_fuzz" -max_total_time="$seconds" -max_len=16384 -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 "$build_dir/corpus"
