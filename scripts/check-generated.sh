#!/usr/bin/env bash
# Regenerates the generated sources into a temporary file and fails if the committed ones differ.
set -euo pipefail
cd "$(dirname "$0")/.."

status=0
tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT

python3 scripts/gen_width_tables.py >"$tmp"
if ! diff -u codes/WidthTables.cpp "$tmp"; then
  echo "codes/WidthTables.cpp is stale: python3 scripts/gen_width_tables.py > codes/WidthTables.cpp" >&2
  status=1
fi
exit "$status"
