#!/bin/sh
# Runs the suite of an already built folder twice in a row while as many busy
# processes as there are cores spin beside it, so that a test that passes only
# on an idle machine shows. Exits non-zero when either run fails.
#
#   tools/test-under-load.sh [BUILD]     (default: build)
#
# KORVO_LOAD_CTEST_ARGS adds arguments to both ctest runs, e.g.
#   KORVO_LOAD_CTEST_ARGS="-R News" tools/test-under-load.sh
# Each run gets a fresh HOME under BUILD/test-home, as `make test` does.
set -u

build=${1:-build}
if [ ! -f "$build/CTestTestfile.cmake" ]; then
    echo "no built suite in $build" >&2
    exit 2
fi
build=$(cd "$build" && pwd)
cores=$(nproc)

burners=""
suite=""
stop_burners() {
    for pid in $suite $burners; do
        kill "$pid" 2>/dev/null
    done
    for pid in $suite $burners; do
        wait "$pid" 2>/dev/null
    done
    suite=""
    burners=""
}
trap stop_burners EXIT
trap 'exit 130' INT TERM

# Each burner spins for at most an hour, so none outlives a killed script for long.
i=0
while [ "$i" -lt "$cores" ]; do
    sh -c 'end=$(($(date +%s) + 3600)); while [ "$(date +%s)" -lt "$end" ]; do n=0; while [ $n -lt 100000 ]; do n=$((n + 1)); done; done' &
    burners="$burners $!"
    i=$((i + 1))
done
echo "$cores burners:$burners"

failed=0
for run in 1 2; do
    rm -rf "$build/test-home" && mkdir -p "$build/test-home/config"
    started=$(date +%s)
    # In the background, so that a signal reaches the traps at once rather than after the run.
    # shellcheck disable=SC2086 # the extra arguments are meant to split
    (cd "$build" && HOME="$build/test-home" XDG_CONFIG_HOME="$build/test-home/config" QT_QPA_PLATFORM=offscreen \
        exec ctest --output-on-failure -j "$cores" --timeout 300 ${KORVO_LOAD_CTEST_ARGS:-}) &
    suite=$!
    wait "$suite"
    status=$?
    suite=""
    echo "run $run: exit $status after $(($(date +%s) - started)) s"
    [ "$status" -eq 0 ] || failed=1
done
exit "$failed"
