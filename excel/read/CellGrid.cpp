#include "excel/read/CellGrid.h"

#include <algorithm>

CellGrid::CellGrid(int columns) : m_columns(std::max(0, columns)) {}
