-- vector_element_load.lua for LuaJIT (Lua 5.1: no `//`).
-- The work of vector_fill_sum.lua: a table of n ints (the argument, default
-- 10^7) filled by appends, then summed through element reads. Lua reads an
-- element one way; the bytecode twin reads it through its address.
local n = tonumber(arg and arg[1]) or 10000000
local t = {}
for i = 0, n - 1 do
  t[#t + 1] = i
end
local sum = 0
for i = 1, #t do
  sum = sum + t[i]
end
assert(sum == n * (n - 1) / 2)
