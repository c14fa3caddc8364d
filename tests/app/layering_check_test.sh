#!/usr/bin/env bash
# The layering check catches what it is meant to catch: each case plants one line in a scratch
# copy of the source folders and expects the check to fail (or pass) on it.
set -u
check_script=$(dirname "$0")/../../scripts/check-layering.sh
failures=0
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

expect() {  # name expected-status folder line
  rm -rf "$work/src"
  mkdir -p "$work"/src/{core,ui,app}
  printf '%s\n' "$4" > "$work/src/$3/planted.cpp"
  "$check_script" "$work" > /dev/null
  local status=$?
  if [ "$status" -ne "$2" ]; then
    failures=$((failures + 1))
    echo "FAIL $1: status $status, expected $2"
  fi
}

expect "Qt header in the core" 1 core '#include <QString>'
expect "user-interface header in the core" 1 core '#include "ui/main_window.h"'
expect "cell format set in the user interface" 1 ui 'c->format = uint8_t(7);'
expect "style bits or-ed in a program" 1 app 'cell->style |= 1;'
expect "shade written in the user interface" 1 ui 'c->shade[0] = 3;'
expect "cell created in the user interface" 1 ui 'CellHandle h = GetOrCreateCell(1, 2);'
expect "entry stored by a program" 1 app 'EnterCell(text, 0, 0);'
expect "Undo snapshot taken in the user interface" 1 ui 'SaveUndo();'
expect "cell record through CellAt" 1 ui 'CellAt(h)->kind = 4;'
expect "cell record through a dereference" 1 ui '(*c).format = 7;'
expect "value bytes copied into a record" 1 app 'std::memcpy(c->value, &d, 8);'
expect "shade cleared with memset" 1 ui 'memset(CellAt(h)->shade, 0, 3);'
expect "writable pointer into the pool" 1 ui 'uint8_t* block = PoolPtr(c->text);'
expect "pool byte written" 1 ui 'PoolPtr(c->text)[1] = 0x27;'
expect "column width written in the user interface" 1 ui 'layout.columnWidth[size_t(col)] = 80;'
expect "row height written by a program" 1 app 'CurrentLayout().rowHeight[3] += 2;'
expect "sheet option set in the user interface" 1 ui 'Options().setProtection(true);'
expect "worksheet entry flag set in the user interface" 1 ui 'Worksheet(slot).readOnly = true;'
expect "row chain head set by a program" 1 app 'SetRowHead(3, h);'
expect "reading a cell is fine" 0 ui 'if (c->format == 7 && c->style != 0) return;'
expect "a command is fine" 0 ui 'SetRangeFormat(r, 7);'
expect "other objects' members are fine" 0 ui 'entry.style = style;'
expect "a read-only pointer into the pool is fine" 0 ui 'const uint8_t* block = PoolPtr(c->text);'
expect "reading a width is fine" 0 ui 'return layout.columnWidth[size_t(col)] * 2;'
expect "comparing an entry flag is fine" 0 ui 'if (Worksheet(slot).readOnly == false) return;'
expect "copying into a local buffer is fine" 0 ui 'std::memcpy(bytes, source, 8);'

[ "$failures" -eq 0 ] && echo "layering check: all cases behave"
[ "$failures" -eq 0 ]
