#!/usr/bin/env bash
# Checks the include graph of the program's sources against cmake/layers.txt: no file includes
# a folder of a higher layer, the folders of one layer include each other in no circle, and
# every folder with sources is declared. Prints each violation; exits 1 if there was any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

declare -A layer_of=()
folders=()
n=0
while read -r line; do
  line="${line%%#*}"
  [ -z "${line// /}" ] && continue
  for folder in $line; do
    layer_of[$folder]=$n
    folders+=("$folder")
  done
  n=$((n + 1))
done < cmake/layers.txt

# The declared folder a path lies in: the longest declared prefix.
folder_of() {
  local path="$1" best=""
  for folder in "${folders[@]}"; do
    if [[ "$path" == "$folder/"* && ${#folder} -gt ${#best} ]]; then best="$folder"; fi
  done
  printf '%s' "$best"
}

failures=0
edges=""
top_folders=$(printf '%s\n' "${folders[@]}" | cut -d/ -f1 | sort -u)
sources=$(for top in $top_folders; do
  [ -d "$top" ] && find "$top" -name '*.h' -o -name '*.cpp'
done | sort)

for file in $sources; do
  from=$(folder_of "$file")
  if [ -z "$from" ]; then
    echo "$file: its folder is not declared in cmake/layers.txt"
    failures=$((failures + 1))
    continue
  fi
  while IFS= read -r included; do
    to=$(folder_of "$included")
    [ -z "$to" ] && continue  # not one of ours (a system or test header)
    [ "$to" = "$from" ] && continue
    if [ "${layer_of[$to]}" -gt "${layer_of[$from]}" ]; then
      echo "$file: includes $included, a higher layer ($to above $from)"
      failures=$((failures + 1))
    elif [ "${layer_of[$to]}" -eq "${layer_of[$from]}" ]; then
      edges+="$from $to"$'\n'
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done

# Folders of one layer: tsort fails on a circle and names its members.
if [ -n "$edges" ]; then
  if ! loop=$(printf '%s' "$edges" | sort -u | tsort 2>&1 >/dev/null); then
    echo "folders include each other in a circle:"
    echo "$loop" | grep -v "input contains a loop" | sed "s/^tsort: /  /"
    failures=$((failures + 1))
  fi
fi

if [ "$failures" -gt 0 ]; then
  echo "check-layers: $failures violation(s) of cmake/layers.txt"
  exit 1
fi
echo "check-layers: $(echo "$sources" | wc -l) files follow cmake/layers.txt"
