-- loop.lua for LuaJIT (Lua 5.1: no `&` or `//`): the 32-bit mask through
-- its bit library. bit.band answers a signed 32-bit number, so the sum is
-- kept signed and compared as such.
local bit = require("bit")
local n = tonumber(arg and arg[1]) or 100000000
local sum, i = 0, 0
while i < n do
  sum = bit.band(sum + i, 0xFFFFFFFF)
  i = i + 1
end
assert(sum == bit.tobit((n * (n - 1) / 2) % 4294967296))
