; A return reading its address below the stack, right after a store into a
; stack slot, fails at the return's operand.
; expect-stderr: FATAL: InvalidArgumentException (InvalidArgumentException at 42, no vminternalthrow<int>,<string> in the image): ret reads its return address 40 words below the top, outside the stack
; expect-exit: 1
.method "main" code=main frame=F
.frame F
main:
    push 7
    call f, F
    adjust -1
    ret 0, 1
f:
    pick -2
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 40, 1
