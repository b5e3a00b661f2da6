#pragma once

#include "nav/Polar.h"

class Table;

// Reads "winds", "angles" and "values" from a polar table. Missing or inconsistent parts
// are reported on standard output and left empty; a part of the wrong kind raises the
// table conversion's Exception.
Polar parsePolar(const Table& table);
