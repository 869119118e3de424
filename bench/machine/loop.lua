local i = 0
repeat
  i = i + 1
until i >= 100000000
