#!/usr/bin/env bash
# The include order of the program's folders: app -> the feature folders -> ui -> data. A file
# may include its own folder and the folders after it; a feature folder may include another
# feature folder only where declared below. Prints every include that breaks the order as
# FILE:LINE and exits 1; exits 0 when there is none.
#   check_layers.sh [SOURCE_ROOT]   (default: the folder above this script)
set -uo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"

# Rank of each layer folder: lower ranks build on higher ones.
declare -A rank=([app]=0 [practice]=1 [exam]=1 [exampoints]=1 [progress]=1 [authoring]=1
                 [upgrade]=1 [export]=1 [ui]=2 [data]=3)
# Feature folders that may include other feature folders.
declare -A uses=([exam]="practice exampoints export" [exampoints]="practice")

allowed() { # from to
  local from="$1" to="$2"
  [ "$from" = "$to" ] && return 0
  [ -z "${rank[$to]+x}" ] && return 0 # not a layer folder (Qt, the standard library)
  [ "${rank[$to]}" -gt "${rank[$from]}" ] && return 0
  if [ "${rank[$from]}" -eq 1 ] && [ "${rank[$to]}" -eq 1 ]; then
    for u in ${uses[$from]:-}; do [ "$u" = "$to" ] && return 0; done
  fi
  return 1
}

broken=0
for from in "${!rank[@]}"; do
  [ -d "$root/$from" ] || continue
  while IFS= read -r -d '' file; do
    rel="${file#"$root"/}"
    while IFS=: read -r line target; do
      to="${target%%/*}"
      [ "$to" = "$target" ] && continue # an include without a folder
      if ! allowed "$from" "$to"; then
        echo "$rel:$line: $from must not include $target"
        broken=1
      fi
    done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' "$file" |
             sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
  done < <(find "$root/$from" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
done
exit "$broken"
