; A chain of 300,000 small objects carves most of a 16 MiB heap into pools
; of small blocks; the chain is then dropped. Blocks of 290 KB and 8 MB,
; larger than any pool, fit in the room the collection frees: the emptied
; pools go back to the arena and are placed there as one range.
; run-args: --heap-mib 16
; no-gc-stress: building the chain with a collection after every allocation takes minutes
; expect-log: 290 KB placed
; expect-log: 8 MB placed
.method "main" code=main frame=Main
.type Cell refs=[1]
.frame Main
.string smallBlockText "290 KB placed"
.string largeBlockText "8 MB placed"
main:                       ; [ret]
    push 0                  ; [ret, chain]
    push 300000             ; [ret, chain, n]
grow:
    new 1, 2                ; [ret, chain, n, cell]: word 1 links the chain
    dup
    settype Cell
    dup
    fieldaddr 1
    pick -4
    store
    slotaddr -3
    pick -2
    store                   ; chain = cell
    adjust -1
    push 1
    sub
    dup
    jz built
    jmp grow
built:
    adjust -1               ; [ret, chain]
    slotaddr -1
    push 0
    store                   ; the chain is dropped
    adjust -1               ; [ret]
    new 2, 72500
    adjust -1
    pushstr smallBlockText
    native 30, 1
    new 2, 2000000
    adjust -1
    pushstr largeBlockText
    native 30, 1
    ret 0, 1
