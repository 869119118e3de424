for i = 1, 10000000 do
  local t = {0}
  t[1] = 7
end
collectgarbage()
