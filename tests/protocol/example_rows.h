// A year of monthly checks of one device as the record gives them back: three object
// thicknesses, a reference change after a tube change in July, one failed value, one warning and
// one voided measurement. Verdicts and deviations come from the record's own evaluation.
#pragma once

#include <vector>

#include "record/history.h"

std::vector<record::HistoryRow> ExampleYear();

// sessions × three thicknesses of plain passed rows, for the timing of a long protocol.
std::vector<record::HistoryRow> ManySessions(int sessions);
