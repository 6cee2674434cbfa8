#!/usr/bin/env bash
# Every C++ source of the project is formatted as .clang-format says: prints the files that are
# not (and how to mend them) and fails.
set -uo pipefail
root="$1"
cd "$root" || exit 1
mapfile -d '' files < <(find app data practice exam exampoints progress authoring upgrade export ui \
  tools tests bench -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
unformatted=()
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror --style=file "$f" >/dev/null 2>&1; then
    unformatted+=("$f")
  fi
done
if [ ${#unformatted[@]} -gt 0 ]; then
  printf 'not formatted: %s\n' "${unformatted[@]}"
  echo "mend with: clang-format -i --style=file FILE..."
  exit 1
fi
echo "format: ${#files[@]} files formatted"
