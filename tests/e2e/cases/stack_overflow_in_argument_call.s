; Unbounded recursion through calls whose argument is computed just before
; them overflows at the instruction whose top passes the limit.
; expect-stderr: FATAL: InvalidArgumentException (VMException: stack overflow at 31, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=F
.frame F
main:
    push 5
    call down, F
    adjust -1
    ret 0, 1
down:
    pick -2
    push 1
    sub
    call down, F
    ret 0, 1
