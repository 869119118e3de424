; Recursion whose argument is computed just before each call and whose
; result is stored into a stack slot before the return: it overflows.
.method "main" code=main frame=F
.frame F
main:
    push 1
    call up, F
    adjust -1
    ret 0, 1
up:
    pick -2
    push 2
    add
    call up, F
    slotaddr -3
    pick -2
    store
    adjust -1
    ret 0, 1
