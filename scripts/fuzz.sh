#!/usr/bin/env bash
# Builds the survey-reader and processing-input fuzzers with clang's libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer, seeds them with the demo data
# and runs each for the given time. Not part of CI.
# Usage: scripts/fuzz.sh [seconds] (default 300).
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

# The calibration and coordinate-file readers of the processing engine.
mkdir -p "$out/corpus-processing"
{ printf '\041'; cat "$here/data/demo/Orvex_Kav#9.ini"; printf '\000'; head -5 "$here/data/demo/demo_chaotic.crd"; } \
  >"$out/corpus-processing/demo" 2>/dev/null || true
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$here/common/include" -I"$here/survey/include" -I"$here/processing/include" \
  -I"$here/processing/src" "$here/processing/fuzz/fuzz_processing_inputs.cpp" \
  "$here/processing/src/calibration.cpp" "$here/processing/src/positions.cpp" \
  "$here/survey/src/survey_data.cpp" "$here"/common/src/*.cpp -o "$out/fuzz_processing_inputs"
"$out/fuzz_processing_inputs" -max_total_time="$seconds" -rss_limit_mb=512 -max_len=8192 \
  "$out/corpus-processing"
