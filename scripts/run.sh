#!/usr/bin/env bash
# The run command: installs what is missing, builds, and runs sievra on the
# window's own example.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake --preset sievra >/dev/null
cmake --build --preset sievra

example=$(mktemp -d)
trap 'rm -rf "$example"' EXIT
printf '11111\r\n22222\r\n33333\r\n44444' >"$example/original.txt"
printf '22222\r\n33333\r\n' >"$example/removal.txt"

echo
echo "Original list:   11111 22222 33333 44444"
echo "Lines to remove: 22222 33333"
echo "Result:"
build/sievra/cli/sievra "$example/original.txt" "$example/removal.txt" | tee "$example/result.txt" | tr -d '\r'
echo
echo "(bytes of the result:)"
od -An -c "$example/result.txt"
