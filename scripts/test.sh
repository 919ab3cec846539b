#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test:
#   0. the sources' formatting against .clang-format (clang-format 14);
#   1. the normal build (build/, RelWithDebInfo): everything, benchmarks included, and all tests;
#   2. the tests again under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan/);
#   3. each libFuzzer target for a bounded time (build-fuzz/, clang).
# Ends with one line "N passed, N failed" and a non-zero exit when anything failed.
#
# Options: --no-asan, --no-fuzz skip a stage (for a quick local run; CI runs all three).
# Environment: JOBS (default 2), FUZZ_SECONDS per target (default 20), CTEST_JOBS (default 1).
set -uo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT" || exit 1
JOBS="${JOBS:-2}"
FUZZ_SECONDS="${FUZZ_SECONDS:-20}"
CTEST_JOBS="${CTEST_JOBS:-1}"
RUN_ASAN=1
RUN_FUZZ=1
for arg in "$@"; do
  case "$arg" in
    --no-asan) RUN_ASAN=0 ;;
    --no-fuzz) RUN_FUZZ=0 ;;
    *) echo "usage: $0 [--no-asan] [--no-fuzz]" >&2; exit 2 ;;
  esac
done

passed=0
failed=0
failures=()
started=$SECONDS

fail() {
  failed=$((failed + 1))
  failures+=("$1")
  echo "FAILED: $1" >&2
}

phase() { printf '\n==== %s (%s)\n' "$*" "$(date +%H:%M:%S)"; }

finish() {
  echo
  if ((${#failures[@]})); then
    echo "Failures:"
    printf '  %s\n' "${failures[@]}"
  fi
  echo "Finished in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
  echo "$passed passed, $failed failed"
  if ((failed > 0 || passed == 0)); then exit 1; fi
  exit 0
}

# configure DIR [cmake args...]: Ninja the first time; an existing tree keeps its generator.
configure() {
  local dir=$1
  shift
  mkdir -p "$dir"
  local first=()
  [[ -f "$dir/CMakeCache.txt" ]] || first=(-G Ninja)
  if ! cmake -S "$ROOT" -B "$dir" "${first[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir/configure.log" 2>&1; then
    tail -n 40 "$dir/configure.log"
    return 1
  fi
}

# build DIR: everything that builds, keeping on past failures so one broken file does not
# hide the results of the rest. The full log stays in DIR/build.log.
build() {
  local dir=$1
  if cmake --build "$dir" -j "$JOBS" -- -k 0 >"$dir/build.log" 2>&1; then
    echo "built $dir ($(grep -c 'warning:' "$dir/build.log") warnings; log in $dir/build.log)"
    return 0
  fi
  # The failing steps and their messages, without the (very long) command lines.
  grep -E '^FAILED:|error:|undefined reference|multiple definition|^ninja: build stopped' "$dir/build.log" |
    cut -c1-400 | awk '!seen[$0]++' | head -n 80
  return 1
}

# run_ctest NAME DIR [VAR=VALUE...] -- [ctest args...]: adds the counts to the totals.
# Everything runs under a private X server, so tests that need a display have one; window
# tests choose the offscreen platform themselves.
run_ctest() {
  local name=$1 dir=$2
  shift 2
  local envs=()
  while (($#)) && [[ $1 != -- ]]; do
    envs+=("$1")
    shift
  done
  (($#)) && shift
  local wrapper=()
  command -v xvfb-run >/dev/null && wrapper=(xvfb-run -a -s "-screen 0 1280x1024x24")
  local log="$dir/ctest-$name.log"
  (cd "$dir" && env "${envs[@]}" "${wrapper[@]}" ctest --output-on-failure --timeout 300 -j "$CTEST_JOBS" "$@") \
    </dev/null 2>&1 | tee "$log" | grep -a -v -E '^ *(Start +[0-9]+:|[0-9]+/[0-9]+ Test +#[0-9]+: .* +Passed +)'
  local summary
  summary=$(grep -a -E '[0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [[ -z $summary ]]; then
    if grep -a -q 'No tests were found' "$log"; then
      echo "$name: no tests selected"
    else
      fail "$name: ctest did not finish (see $log)"
    fi
    return
  fi
  local nfail total
  nfail=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + total - nfail))
  failed=$((failed + nfail))
  while IFS= read -r line; do
    failures+=("$name: $line")
  done < <(LC_ALL=C awk '/The following tests FAILED:/ {on = 1; next} on && /^[ \t]+[0-9]+ - / {sub(/^[ \t]+/, ""); print}' "$log")
}

# The stages live in a function so bash has read the whole script before it runs any of it.
main() {
  phase "Installing missing packages"
  if ! bash "$ROOT/scripts/install-deps.sh"; then
    fail "installing the packages the build needs"
    finish
  fi

  phase "Formatting (.clang-format, clang-format 14)"
  local unformatted
  unformatted=$(git ls-files -- '*.cpp' '*.h' | xargs clang-format-14 --dry-run 2>&1 | grep -oE '^[^:]+:[0-9]+:[0-9]+: warning' |
    cut -d: -f1 | sort -u)
  if [[ -n $unformatted ]]; then
    printf '  %s\n' $unformatted
    fail "files differ from .clang-format (clang-format-14 -i FILE)"
  else
    passed=$((passed + 1))
    echo "every source file is formatted"
  fi

  phase "Normal build (build/)"
  if configure build; then
    build build || fail "normal build"
    phase "Tests (build/)"
    run_ctest tests build --
  else
    fail "configuring build/"
  fi

  if ((RUN_ASAN)); then
    phase "Sanitizer build (build-asan/, ASan + UBSan)"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    if configure build-asan -DVANTOREL_SANITIZE=ON -DVANTOREL_BUILD_BENCH=OFF; then
      # Test discovery runs the test programs at build time; Qt's one-time allocations would
      # otherwise count as leaks there.
      ASAN_OPTIONS=detect_leaks=0 build build-asan || fail "sanitizer build"
      phase "Tests under the sanitizers (build-asan/)"
      # The engine has no excuse for leaks; Qt keeps process-lifetime allocations, so leak
      # checking is off for the programs that link it.
      run_ctest asan-engine build-asan ASAN_OPTIONS=detect_leaks=1 -- -L engine
      run_ctest asan-rest build-asan ASAN_OPTIONS=detect_leaks=0 -- -LE engine
    else
      fail "configuring build-asan/"
    fi
  fi

  if ((RUN_FUZZ)); then
    phase "Fuzz build (build-fuzz/, clang + libFuzzer)"
    compilers=()
    [[ -f build-fuzz/CMakeCache.txt ]] || compilers=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
    if configure build-fuzz "${compilers[@]}" -DVANTOREL_FUZZ=ON -DVANTOREL_BUILD_GUI=OFF \
      -DVANTOREL_BUILD_TESTS=OFF -DVANTOREL_BUILD_BENCH=OFF; then
      build build-fuzz || fail "fuzz build"
      phase "Fuzzing, ${FUZZ_SECONDS} s per target"
      shopt -s nullglob
      targets=(build-fuzz/bin/fuzz_*)
      shopt -u nullglob
      ((${#targets[@]})) || fail "no fuzz targets were built"
      for target in "${targets[@]}"; do
        [[ -f $target && -x $target ]] || continue
        name=$(basename "$target")
        work=$(mktemp -d)
        mkdir -p "$work/corpus"
        seeds=()
        [[ -d fuzz/corpus/${name#fuzz_} ]] && seeds=("fuzz/corpus/${name#fuzz_}")
        if "$target" -max_total_time="$FUZZ_SECONDS" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
          -artifact_prefix="$work/" "$work/corpus" "${seeds[@]}" </dev/null >"$work/log" 2>&1; then
          runs=$(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$work/log" | grep -oE '[0-9]+$')
          echo "$name: ${runs:-?} executions, no crash"
          passed=$((passed + 1))
          rm -rf "$work"
        else
          tail -n 60 "$work/log"
          fail "$name crashed (input and log kept in $work)"
        fi
      done
    else
      fail "configuring build-fuzz/"
    fi
  fi

  finish
}

main
