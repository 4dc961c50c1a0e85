#!/usr/bin/env bash
# The English translation covers every text the window shows. Runs lupdate over the sources
# into a scratch copy of translations/vornicspcomm_en.ts and lists each message that has no
# finished translation there (a new text, a changed one, or one left unfinished); exits 1 if
# there is any. Texts that vanished from the sources are no fault.
#   scripts/check-translations.sh [LUPDATE]            the check
#   scripts/check-translations.sh --update [LUPDATE]   merges the sources' texts into the .ts
#                                                      in the tree, to be translated there
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
update=false
if [ "${1:-}" = "--update" ]; then
  update=true
  shift
fi
lupdate="${1:-/usr/lib/qt6/bin/lupdate}"
ts="$root/translations/vornicspcomm_en.ts"

# SHOWN_TEXT is how the widget-free core marks a shown text (core/text/shown_text.h).
scan() {
  (cd "$root" && "$lupdate" -silent -locations none -no-ui-lines -source-language zh_CN -target-language en -I "$root" -tr-function-alias QT_TRANSLATE_NOOP+=SHOWN_TEXT \
    -extensions cpp,h gui core -ts "$1")
}

if $update; then
  scan "$ts"
  exit 0
fi

scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
cp "$ts" "$scratch/check.ts"
scan "$scratch/check.ts" >"$scratch/lupdate.log" 2>&1 || { cat "$scratch/lupdate.log" >&2; exit 1; }
# lupdate's warnings (a text it cannot attribute, say) are faults of the sources too.
if [ -s "$scratch/lupdate.log" ]; then
  cat "$scratch/lupdate.log" >&2
  exit 1
fi

# One message per <message> element; its source may run over several lines.
awk '
  /<message/ { in_message = 1; source = ""; in_source = 0; missing = 0 }
  in_message && /<source>/ { in_source = 1 }
  in_source { source = source (source == "" ? "" : "\n") $0 }
  in_source && /<\/source>/ { in_source = 0 }
  in_message && /<translation/ {
    if ($0 ~ /type="(vanished|obsolete)"/) missing = -1
    else if ($0 ~ /type="unfinished"/ || $0 ~ /<translation><\/translation>/ || $0 ~ /<translation\/>/) missing = 1
  }
  /<\/message>/ {
    if (missing == 1) {
      gsub(/^[ \t]*<source>|<\/source>.*$/, "", source)
      print "  " source
      count++
    }
    in_message = 0
  }
  END {
    if (count) {
      print count " text(s) without an English translation in translations/vornicspcomm_en.ts" > "/dev/stderr"
      exit 1
    }
  }
' "$scratch/check.ts"
