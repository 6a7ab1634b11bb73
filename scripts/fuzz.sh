#!/usr/bin/env bash
# Fuzzes the readers with libFuzzer: builds the fuzz targets (tests/fuzz/) with clang, ASan and
# UBSan into build-fuzz/ and runs each on its seed corpus (tests/fuzz/seeds.txt).
#
#   scripts/fuzz.sh [--quick | --runs N | --time SECONDS] [--timeout SECONDS] [TARGET...]
#
# --quick: a fixed number of seeded mutations each (-seed=1), a few seconds, as ./test.sh runs it;
# --runs N: N seeded mutations each; --time: a campaign of SECONDS each (600 by default), whose
# new inputs are kept in build-fuzz/corpus/ for the next one. TARGETs: exercise, session, journal,
# picture (all by default). A crash, a hang (an input running over --timeout, 60 s by default) or
# a sanitizer report is written to tests/fuzz/TARGET/regressions/ and fails the run; from then on
# the ordinary build's test fuzz_TARGET runs it in every ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

all=(exercise session journal picture)
# Mutations each for --quick, a few seconds' worth: the journal target runs the whole window, some
# ten inputs a second under the sanitizers; the others a thousand and more.
declare -A quick=([exercise]=20000 [session]=3000 [journal]=200 [picture]=20000)
# The journal target's inputs kept to a few lines, so that it tries many: the seeds are cut there;
# and no leak search after each input (the toolkit's caches make it search after nearly every one,
# halving the speed): the sanitizer build's fuzz_journal test searches its inputs at the end.
declare -A extra=([journal]="-max_len=400 -detect_leaks=0 -dict=$PWD/tests/fuzz/journal.dict")

mode=time seconds=600 runs=0 timeout=60
targets=()
while (($#)); do
    case $1 in
    --quick) mode=quick; shift ;;
    --runs) mode=runs; runs=$2; shift 2 ;;
    --time) mode=time; seconds=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    -h | --help) sed -n '2,/^set -e/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) echo "fuzz.sh: unknown option $1" >&2; exit 2 ;;
    *)
        [[ " ${all[*]} " == *" $1 "* ]] || { echo "fuzz.sh: no fuzz target $1" >&2; exit 2; }
        targets+=("$1"); shift ;;
    esac
done
((${#targets[@]})) || targets=("${all[@]}")

# Only the readers' libraries and the targets; -O1 keeps the build and the runs both quick.
flags="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined"
flags+=" -fno-omit-frame-pointer -gline-tables-only"
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B build-fuzz -DVARMET_FUZZ=ON -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" \
    -DCMAKE_CXX_COMPILER=clang++-14 -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_CXX_FLAGS_RELEASE=-O1 \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target "${targets[@]/%/_fuzz}"

export ASAN_OPTIONS="halt_on_error=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export QT_QPA_PLATFORM=offscreen
failed=()
for target in "${targets[@]}"; do
    # The seeds, gathered from the project's files into one folder.
    seeds=$PWD/build-fuzz/seeds/$target
    rm -rf "$seeds" && mkdir -p "$seeds"
    read -r -a globs < <(sed -n "s/^$target //p" tests/fuzz/seeds.txt)
    for glob in "${globs[@]}"; do
        for file in $glob; do
            [[ -f $file ]] && cp "$file" "$seeds/$(tr / _ <<<"$file")"
        done
    done
    # Absolute: the journal target works in a scratch folder of its own.
    regressions=$PWD/tests/fuzz/$target/regressions
    mkdir -p "$regressions"
    # libFuzzer adds the inputs it finds to the first folder: a seeded run starts from nothing
    # there, so that the same runs happen each time; a campaign goes on from the last.
    corpus=$PWD/build-fuzz/corpus/$target
    options=(-seed=1 -timeout="$timeout" -rss_limit_mb=2048 -artifact_prefix="$regressions/"
        -print_final_stats=1 ${extra[$target]:-})
    case $mode in
    quick) rm -rf "$corpus"; options+=(-runs="${quick[$target]}") ;;
    runs) rm -rf "$corpus"; options+=(-runs="$runs") ;;
    time) options+=(-max_total_time="$seconds") ;;
    esac
    mkdir -p "$corpus"
    echo "== fuzzing $target (${options[*]})"
    if ! tests/support/private_home.sh build-fuzz/bin/"${target}"_fuzz "${options[@]}" "$corpus" "$seeds" "$regressions" \
        >"build-fuzz/$target.log" 2>&1; then
        failed+=("$target")
        tail -n 40 "build-fuzz/$target.log"
    fi
    grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added)' \
        "build-fuzz/$target.log" | tr '\n' ' '
    echo
done
if ((${#failed[@]})); then
    echo "fuzz.sh: faults found in: ${failed[*]}; the inputs are in tests/fuzz/*/regressions/" >&2
    exit 1
fi
