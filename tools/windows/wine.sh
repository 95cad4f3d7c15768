#!/bin/sh
# Runs a Windows program under Wine for ctest (the cross build's emulator). The first program
# starts Wine's system processes, which outlive it holding whatever output it had: the program
# writes into files of its own, handed on when it ends, so that no pipe of ctest's stays open.
out=$(mktemp) && err=$(mktemp) || exit 1
/usr/lib/wine/wine64 "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
