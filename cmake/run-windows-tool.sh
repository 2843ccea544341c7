#!/usr/bin/env bash
# Runs a Windows tool of the cross build under Wine during the build.
# Usage: run-windows-tool.sh <wine prefix> <log file> <tool.exe> [arguments...]
# The prefix is the one the Windows tests use (./test keeps it in the build tree), made on first use.
# Wine's output goes to the log file: Wine's background processes must not hold on to the build
# tool's output pipes, or the build would wait for them to end.
set -u
export VEXAV6_WINEPREFIX=$1
log=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-run.sh" "$@" </dev/null >"$log" 2>&1
status=$?
cat "$log" | tr -d '\r' | grep -v '^[0-9a-f]*:\(err\|fixme\|warn\):' || true
if [ $status -ne 0 ]; then
    echo "run-windows-tool.sh: $1 failed with status $status (see $log)" >&2
fi
exit $status
