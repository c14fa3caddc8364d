// core/cell_navigation.h — where cursor keys that look at the cells lead.
//
// Reads the current worksheet's cells; writes nothing.
#pragma once

#include "core/address.h"

// END mode: the cell an arrow reaches from (row, column) in the current sheet, one step being
// (rowStep, columnStep). From a filled cell into a filled neighbour: along the run of filled
// cells to its last one; otherwise to the next filled cell, or to the edge of the sheet when
// none follows. At the edge already, the cell itself.
CellAddress EndModeTarget(int row, int column, int rowStep, int columnStep);
