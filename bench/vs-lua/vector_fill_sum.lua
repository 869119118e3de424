-- A table of 1M ints filled by appends, then summed through element reads.
local t = {}
for i = 0, 9999999 do
  t[#t + 1] = i
end
local sum = 0
for i = 1, #t do
  sum = sum + t[i]
end
assert(sum == 49999995000000)
