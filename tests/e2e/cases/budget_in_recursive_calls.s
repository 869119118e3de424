; A budget running out at a call whose argument is computed just before it
; names that call, whichever form the calls run in.
; run-args: --budget 102
; expect-stderr: FATAL: UnknownException (CODE:11) instruction budget exhausted at 70
; expect-exit: 1
.method "main" code=main frame=F
.frame F
main:
    push 12
    call fib, F
    adjust -1
    ret 0, 1
fib:
    pick -2
    push 2
    lt
    jz recurse
    ret 0, 1
recurse:
    pick -2
    push 1
    sub
    call fib, F
    pick -3
    push 2
    sub
    call fib, F
    add
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 0, 1
