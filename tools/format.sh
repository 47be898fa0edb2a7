#!/usr/bin/env bash
# The sources follow .clang-format. Without arguments, lists the files that
# do not and fails; with --fix, formats them in place. CLANG_FORMAT names the
# program (default clang-format). The copied third-party decoder is left as
# it came.
set -euo pipefail
cd "$(dirname "$0")/.."
clang_format=${CLANG_FORMAT:-clang-format}
mapfile -t files < <(find bench content fuzz project_zub src tests tools \
  -name third_party -prune -o \( -name '*.cpp' -o -name '*.h' \) -print | sort)
if [ "${1:-}" = --fix ]; then
  "$clang_format" -i "${files[@]}"
  exit 0
fi
# clang-format reports what it would change as warnings and exits 0; it
# exits otherwise only when it cannot do its work (a .clang-format it cannot
# read, a file it cannot open): then nothing was checked, and that fails.
status=0
report=$("$clang_format" --dry-run "${files[@]}" 2>&1) || status=$?
if [ "$status" -ne 0 ]; then
  printf '%s\n' "$report" | grep -v -E '^[^: ]+\.(cpp|h):[0-9]+:[0-9]+: warning' | head -n 20 || true
  echo "format: $clang_format failed (exit status $status); nothing was checked"
  exit 1
fi
mapfile -t bad < <(printf '%s\n' "$report" | grep -oE '^[^: ]+\.(cpp|h):[0-9]+:[0-9]+: (warning|error)' | cut -d: -f1 | sort -u)
for f in "${bad[@]}"; do echo "format: $f does not follow .clang-format (tools/format.sh --fix)"; done
echo "format: ${#files[@]} files, ${#bad[@]} not formatted"
[ "${#bad[@]}" -eq 0 ]
