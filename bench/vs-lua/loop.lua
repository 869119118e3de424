local sum, i = 0, 0
while i < 100000000 do
  sum = (sum + i) & 0xFFFFFFFF
  i = i + 1
end
assert(sum == 887459712)
