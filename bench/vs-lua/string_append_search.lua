-- A string of 1M characters ('a' to 'z' over and over) built by appending
-- one character at a time to a buffer, then searched and counted.
local buffer = {}
for i = 0, 9999999 do
  buffer[#buffer + 1] = string.char(97 + i % 26)
end
local s = table.concat(buffer)
local absent = string.find(s, "zyx", 1, true)
local n, from = 0, 1
while true do
  local at = string.find(s, "abc", from, true)
  if not at then break end
  n = n + 1
  from = at + 3
end
assert(absent == nil and n == 384616)
