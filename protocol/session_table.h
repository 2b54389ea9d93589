// The protocol's table per session: a heading with the session's time, Prüfer and Prüfmittel,
// the table's head, and one row per measurement with its warnings and amendment beneath it.
#pragma once

#include <vector>

#include "page_flow.h"
#include "record/history.h"
#include "typeset.h"

namespace protocol {

// One group per session, in the order of the rows (the record gives them oldest first).
std::vector<Group> SessionTables(const std::vector<record::HistoryRow>& rows,
                                 const Typeset& typeset);

}  // namespace protocol
