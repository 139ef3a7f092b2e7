#!/usr/bin/env bash
# expect.sh CODE PATTERN COMMAND...: runs COMMAND and passes when it exits with CODE and its
# standard output and error together match the extended regular expression PATTERN.
code=$1 pattern=$2
shift 2
output=$("$@" 2>&1)
actual=$?
printf '%s\n' "$output"
if [ "$actual" != "$code" ]; then
    echo "expect.sh: exit code $actual, wanted $code" >&2
    exit 1
fi
if ! printf '%s\n' "$output" | grep -Eq -- "$pattern"; then
    echo "expect.sh: output does not match: $pattern" >&2
    exit 1
fi
