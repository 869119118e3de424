// The key codes applications receive and the keys the player keeps, in
// Markdown, generated from the key translation and the player's key table
// (docs/keys.md holds the committed copy).
#pragma once

#include <string>

namespace Lumbra {

std::string keyReference();

} // namespace Lumbra
