-- fib(n) through plain recursive calls (the argument, default 32).
local n = tonumber(arg and arg[1]) or 32
local function fib(k)
  if k < 2 then return k end
  return fib(k - 1) + fib(k - 2)
end
local a, b = 0, 1
for _ = 1, n do a, b = b, a + b end
assert(fib(n) == a)
