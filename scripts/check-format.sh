#!/usr/bin/env bash
# Fails when a C++ source under src/, tests/, tools/ or bench/ is not laid out
# as .clang-format says; prints what clang-format would change.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
cd "$here"
format="$(command -v clang-format || command -v clang-format-14 || true)"
if [ -z "$format" ]; then
  echo "check-format: clang-format not found (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
mapfile -d '' files < <(find src tests tools bench -type f \( -name '*.cpp' -o -name '*.h' \) \
  -print0 | sort -z)
if [ ${#files[@]} -eq 0 ]; then
  echo "check-format: no sources found" >&2
  exit 1
fi
if ! "$format" --style=file --dry-run -Werror "${files[@]}"; then
  echo "check-format: sources above are not formatted; run: cmake --build build --target format" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
