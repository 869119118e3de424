; fib(32) through plain recursive calls.
; The number on each line marked "size" is the size: in-process benchmarks
; put theirs there.
.method "main" code=main frame=F
.frame F
main:
    push 32             ; size
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
