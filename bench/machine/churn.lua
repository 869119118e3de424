for i = 1, 1000000 do
  local t = {0, 0}
  t[2] = 7
end
collectgarbage()
