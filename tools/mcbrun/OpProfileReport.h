// The text mcbrun prints for --profile-ops: the run's most frequent
// instructions, pairs and triples, by mnemonic, natives by number and name.
#pragma once

#include "machine/OpProfile.h"

#include <string>

namespace Lumbra {

// One instruction as the report names it: "pick", "native 3 8 IntVector.get",
// "ext 1 2"; an opcode byte that is no instruction as "invalid 255".
std::string opProfileShapeText(OpProfile::Shape shape);

// The report: a summary line, then at most `top` lines (0: all) of each of
// singles, pairs and triples, each line "profile: KIND COUNT PERCENT SEQUENCE"
// with the parts of a sequence separated by " | ".
std::string opProfileReport(const OpProfile& profile, int top);

} // namespace Lumbra
