-- n allocations of a one-field table (the argument, default 10^7), then a
-- full collection.
local n = tonumber(arg and arg[1]) or 10000000
for _ = 1, n do
  local t = {0}
  t[1] = 7
end
collectgarbage()
