-- A while-loop of n adds (the argument, default 10^8) into a sum kept to
-- 32 bits.
local n = tonumber(arg and arg[1]) or 100000000
local sum, i = 0, 0
while i < n do
  sum = (sum + i) & 0xFFFFFFFF
  i = i + 1
end
assert(sum == (n * (n - 1) // 2) & 0xFFFFFFFF)
