// The reference of every native group and function in Markdown, generated
// from the group tables (docs/natives.md holds the committed copy).
#pragma once

#include <string>

std::string nativeReference();
