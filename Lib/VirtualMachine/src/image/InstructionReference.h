// The reference of every instruction in Markdown, generated from the opcode
// table's documentation strings (docs/instructions.md holds the committed copy).
#pragma once

#include <string>

std::string instructionReference();
