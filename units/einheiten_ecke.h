#pragma once
// The grid leaves the cell where its header row and column meet blank; the unit grids show
// their " Nr" heading there.
class StringGrid;

void EckeBeschriften(StringGrid* grid);
