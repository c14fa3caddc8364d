#!/usr/bin/env bash
# Layering checks of the source tree:
#  1. No engine folder includes a Qt header or a header of the user-interface folders.
#  2. No file of the user interface or of the programs (src/ui, src/print, src/app) changes a cell record
#     itself: worksheets change only through src/commands. Looked for are calls of the core's
#     cell-changing operations (creating cells, storing values and texts, entry, Undo, names,
#     row chains and extent, the modified flag), assignments to the fields of a CellRecord
#     through a pointer (`c->format = ...`, `c->style |= ...`, `c->shade[0] = ...`, also through
#     `(*c).` and `CellAt(h)->`), raw writes into the cell pool (memcpy/memset into a record,
#     a writable pointer from PoolPtr), writes to column widths and row heights, to the sheet's
#     options (`Options().setX(...)`) and to a worksheet entry's fields.
set -u
root=${1:-$(dirname "$0")/..}
status=0

bad=$(grep -rnE '#\s*include\s*[<"](Q[A-Za-z]|qt|ui/|graph/|print/)' \
        "$root"/src/{platform,core,formula,files,commands,analysis,macros} 2>/dev/null)
if [ -n "$bad" ]; then
  echo "engine code reaches above its layer:"
  echo "$bad"
  status=1
else
  echo "layering: engine folders are free of Qt and user-interface includes"
fi

calls='\b(GetOrCreateCell|StoreNumber|SetCellText|SetCellTextBytes|SetCellDouble|SetCellStringResult|FreeCellText|FreeCellRecord|UnlinkCell|ClearAllCells|ResetCellStore|SetRowHead|SetExtent|SetFirstUsed|EnterCell|SaveUndo|RestoreUndo|DefineName|DeleteName|BuildNames|SetNameRange|ResetNames|InitNameTable|SetSheetModified)\s*\('
record='(->|\)\s*\.)'
fields="$record"'\s*(next|dependents|font|size|style|borders|colour|format|column|row|text|kind)\s*([-+*/|&^]|<<|>>)?=[^=]|'"$record"'\s*(shade|value)\s*\[[^]]*\]\s*([-+*/|&^]|<<|>>)?=[^=]'
raw='\bmem(cpy|set|move)\s*\(\s*&?\s*[A-Za-z_][A-Za-z_0-9]*(\([^)]*\))?\s*->|(^|[^t]\s)uint8_t\s*\*\s*[A-Za-z_][A-Za-z_0-9]*\s*=\s*PoolPtr|PoolPtr\s*\([^)]*\)\s*\[[^]]*\]\s*([-+*/|&^]|<<|>>)?=[^=]'
layout='\b(columnWidth|rowHeight)\s*\[[^]]*\]\s*([-+*/|&^]|<<|>>)?=[^=]|\bOptions\(\)\s*\.\s*set[A-Z]|\bWorksheet\([^)]*\)\s*\.\s*[A-Za-z_]+\s*([-+*/|&^]|<<|>>)?=[^=]'
direct=$(grep -rnE "$calls|$fields|$raw|$layout" "$root"/src/ui "$root"/src/print "$root"/src/app 2>/dev/null)
if [ -n "$direct" ]; then
  echo "the user interface, printing or a program changes cell records itself (use src/commands):"
  echo "$direct"
  status=1
else
  echo "layering: src/ui, src/print and src/app change worksheets only through src/commands"
fi
exit $status
