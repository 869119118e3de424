; A chain of objects that stays reachable from the stack fills a 16 MiB heap.
; The allocation that finds no room after a collection fails with code 11
; and says how much is live; without vminternalthrow the FATAL line carries it.
; run-args: --heap-mib 16
; no-gc-stress: filling 16 MiB with a collection after every allocation takes minutes
; expect-stderr: FATAL: InvalidArgumentException (UNEXPECTED EXCEPTION: out of memory: 16 MiB live in a 16 MiB heap at 10, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.type Cell refs=[1]
.frame Main
main:                       ; [ret]
    push 0                  ; [ret, chain]
grow:
    new 1, 16               ; [ret, chain, cell]: word 1 links the chain
    dup
    settype Cell
    dup
    fieldaddr 1
    pick -3
    store
    slotaddr -2
    pick -2
    store                   ; chain = cell
    adjust -1
    jmp grow
