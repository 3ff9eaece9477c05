#!/usr/bin/env bash
# Every test program fails a test that ends its process before its verdict:
# runs each test of the probe alone; those of EndsEarly must end with a
# non-zero status and be named as failed, those of EndsAsAsked must pass.
#
#   early_end.sh PROBE
set -uo pipefail
probe=$1
failures=0
passed=0
for test in $("$probe" --gtest_list_tests | awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}'); do
    status=0
    output=$("$probe" --gtest_filter="$test" 2>&1) || status=$?
    case $test in
    EndsEarly.*)
        if [ "$status" -ne 0 ] && grep -qF "[  FAILED  ] $test ended the process" <<<"$output"; then
            passed=$((passed + 1))
        else
            echo "FAILED: $test ended its process early and was not reported (status $status):"
            echo "$output"
            failures=$((failures + 1))
        fi
        ;;
    *)
        if [ "$status" -eq 0 ]; then
            passed=$((passed + 1))
        else
            echo "FAILED: $test (status $status):"
            echo "$output"
            failures=$((failures + 1))
        fi
        ;;
    esac
done
echo "$passed passed, $failures failed"
[ "$passed" -ge 6 ] && [ "$failures" -eq 0 ]
