#!/usr/bin/env bash
# Builds the survey-reader fuzzer with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer, seeds it with the demo surveys and runs it.
# Not part of CI. Usage: scripts/fuzz.sh [seconds] (default 300).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-300}
out=${ORVEX_FUZZ_DIR:-$here/build-fuzz}
mkdir -p "$out/corpus"
cp -n "$here"/data/demo/*.kav "$here"/data/demo/*.prf "$out/corpus/" 2>/dev/null || true
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$here/common/include" -I"$here/kavutils" -I"$here/kavutils/src" -I"$here/survey/include" \
  "$here/survey/fuzz/fuzz_survey_readers.cpp" \
  "$here"/survey/src/*.cpp "$here"/kavutils/src/*.cpp "$here"/common/src/*.cpp \
  -o "$out/fuzz_survey_readers"
# A survey of more than 64 MB from a tiny input would be a runaway allocation.
"$out/fuzz_survey_readers" -max_total_time="$seconds" -rss_limit_mb=512 -malloc_limit_mb=64 \
  -max_len=65536 "$out/corpus"
