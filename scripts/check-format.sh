#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
[ ${#files[@]} -eq 0 ] && mapfile -t files < <(find . -path ./build -prune -o \( -name '*.cpp' -o -name '*.h' \) -print)
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "Formatting differs: run clang-format -i on the files above." >&2
  exit 1
fi
echo "Formatting: ${#files[@]} files clean"
