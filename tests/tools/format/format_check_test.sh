#!/usr/bin/env bash
# tools/format.sh in a tree of its own: it passes a formatted file, names an
# unformatted one, and fails when clang-format cannot read the style file
# (clang-format then checks nothing, and says so only in its exit status).
set -uo pipefail
script=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/tools" "$work/src"
cp "$script" "$work/tools/format.sh"
failures=0

expect() {  # expect <wanted exit status> <text the output must hold> <what>
  local out status
  out=$("$work/tools/format.sh" 2>&1)
  status=$?
  if [ "$status" -ne "$1" ] || ! grep -qF -- "$2" <<<"$out"; then
    echo "FAIL: $3: exit status $status (wanted $1), output:"
    echo "$out"
    failures=$((failures + 1))
  fi
}

printf 'BasedOnStyle: LLVM\n' > "$work/.clang-format"
printf 'int main() { return 0; }\n' > "$work/src/good.cpp"
expect 0 "1 files, 0 not formatted" "a formatted tree"

printf 'int   f( ){return 1;}\n' > "$work/src/bad.cpp"
expect 1 "src/bad.cpp does not follow .clang-format" "an unformatted file"

rm "$work/src/bad.cpp"
printf 'BasedOnStyle: LLVM\nIndentWidth: [\n' > "$work/.clang-format"
expect 1 "nothing was checked" "a style file clang-format cannot read"

printf 'BasedOnStyle: LLVM\nNoSuchOption: 3\n' > "$work/.clang-format"
expect 1 "nothing was checked" "a style file with an unknown option"

[ "$failures" -eq 0 ] && echo "format check: 4 cases passed"
exit "$failures"
