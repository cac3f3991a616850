#!/usr/bin/env bash
# Checks that the include graph of src/ follows the layers:
# programs -> gui -> drawing -> core. A file never includes a header of a
# higher layer; core includes no Qt Gui or Qt Widgets header and drawing no
# Qt Widgets header; the folders include each other without a cycle.
#
#   check-layers.sh SRC_DIR QT_INCLUDE_DIR [--edges]
#
# --edges prints the include edges between folders (with their counts)
# before checking.
set -euo pipefail
src="$1"
qt="$2"
cd "$src"

rank() {
  case "$1" in
    core*) echo 0 ;;
    drawing*) echo 1 ;;
    gui*) echo 2 ;;
    programs*) echo 3 ;;
    *) echo 9 ;;
  esac
}

# "folder included-folder" for every quoted include of a src/ header.
edges=$(grep -rE --include='*.h' --include='*.cpp' '^#include "[^"]+/[^"]+"' . |
  sed -E 's#^\./([^:]+)/[^/:]+:\#include "(.+)/[^/"]+".*#\1 \2#' | grep -v ' ui_' || true)

if [ "${3:-}" = "--edges" ]; then
  echo "Include edges between folders (count, from, to):"
  echo "$edges" | awk '$1 != $2' | sort | uniq -c
fi

failed=0
while read -r from to; do
  [ -n "$from" ] || continue
  if [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "layer violation: $from includes $to" >&2
    failed=1
  fi
done <<< "$edges"

# Folder cycles: tsort reports each loop in the graph of distinct folders.
loops=$(echo "$edges" | awk '$1 != $2' | sort -u | tsort 2>&1 >/dev/null || true)
if [ -n "$loops" ]; then
  echo "folder include cycle:" >&2
  echo "$loops" >&2
  failed=1
fi

# Qt headers by module: a header named <QX> or <QtModule/QX>.
check_qt() {  # layer-folder module...
  local folder="$1"
  shift
  local module header
  while IFS=: read -r file line; do
    header=$(sed -E 's#^\#include <(Qt[A-Za-z]+/)?([^>]+)>.*#\2#' <<< "$line")
    for module in "$@"; do
      if [ -e "$qt/$module/$header" ] || grep -q "<$module/" <<< "$line"; then
        echo "layer violation: $file includes $module header <$header>" >&2
        failed=1
      fi
    done
  done < <(grep -rE --include='*.h' --include='*.cpp' '^#include <Q' "$folder" || true)
}
check_qt core QtGui QtWidgets
check_qt drawing QtWidgets

[ "$failed" -eq 0 ] && echo "layers: every include points down; no folder cycle"
exit "$failed"
