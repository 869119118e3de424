; Recursion whose base case returns straight after a compare-and-branch and
; whose other case adds the two results before its store-and-return; the
; last call returns with too few words on the stack.
.method "main" code=main frame=F
.frame F
main:
    push 12
    call fib, F
    push 3
    call fib, F
    add
    adjust -1
    call short, F
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
short:
    push 0
    add
    slotaddr -9
    pick -2
    store
    adjust -1
    ret 0, 1
