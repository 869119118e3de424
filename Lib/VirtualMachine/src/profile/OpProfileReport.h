// The report of an instruction profile (--profile-ops of the runner and the
// player): the run's most frequent instructions, pairs and triples, by
// mnemonic, natives by number and name; and the one place that writes it
// when the process ends.
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

// A profile that lives to the end of the process and whose report goes to
// `file` (empty: standard error) when the process ends: after main returns
// and on every exit() inside a run. The file is opened now; when it cannot
// be, a line naming `program` says so and the answer is null.
OpProfile* profileUntilExit(const char* program, const std::string& file, int top);

} // namespace Lumbra
