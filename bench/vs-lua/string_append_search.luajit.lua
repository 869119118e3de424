-- string_append_search.lua for LuaJIT (Lua 5.1: no `//`).
-- A string of n characters (the argument, default 10^7; 'a' to 'z' over and over) built by
-- appending one character at a time to a buffer, then searched and counted.
local n = tonumber(arg and arg[1]) or 10000000
local buffer = {}
for i = 0, n - 1 do
  buffer[#buffer + 1] = string.char(97 + i % 26)
end
local s = table.concat(buffer)
local absent = string.find(s, "zyx", 1, true)
local count, from = 0, 1
while true do
  local at = string.find(s, "abc", from, true)
  if not at then break end
  count = count + 1
  from = at + 3
end
assert(absent == nil and count == math.floor((n - 3) / 26) + 1)
