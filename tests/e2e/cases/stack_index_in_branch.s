; A stack index below the stack in the first of four instructions that run
; together ends the run at that instruction's operand.
; expect-stderr: FATAL: InvalidArgumentException (InvalidArgumentException at 10, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    push 3
    pick -2
    pick -2
    pick -100
    push 1
    lt
    jz main
    ret 0, 1
