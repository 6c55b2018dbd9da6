#!/usr/bin/env bash
# Checks that every C++ source of the program, its tests and benchmarks is as clang-format
# (the .clang-format at the root) would write it. Layout tables opt out with
# "// clang-format off" / "// clang-format on".
set -uo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files --cached --others --exclude-standard \
  'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' | sort -u |
  while read -r f; do [ -f "$f" ] && echo "$f"; done)
bad=()
for f in "${files[@]}"; do
  clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || bad+=("$f")
done
if [ ${#bad[@]} -eq 0 ]; then
  echo "format: ${#files[@]} files checked, all formatted"
  exit 0
fi
printf 'not formatted: %s\n' "${bad[@]}"
echo "format: ${#bad[@]} of ${#files[@]} files not formatted (clang-format -i them)"
exit 1
