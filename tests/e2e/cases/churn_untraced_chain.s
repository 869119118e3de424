; Three million 260-byte objects, each linked to the one before through a
; word the collector does not trace, so that all but the newest are garbage:
; 780 MB in all, run to the end in a 16 MiB heap. Every collection frees
; nearly the whole heap; the next one comes before that space is used up,
; so the heap keeps its size instead of adding a pool per collection.
; no-gc-stress: a collection after each of three million allocations takes minutes; stack_roots_in_a_call covers the stress run
; run-args: --heap-mib 16
; expect-log: done
.method "main" code=main frame=Main
.type Cell
.frame Main
.string doneText "done"
main:                       ; [ret]
    push 0                  ; [ret, chain]
    push 3000000            ; [ret, chain, n]
loop:
    new 1, 65               ; [ret, chain, n, cell]
    dup
    settype Cell
    dup
    fieldaddr 1
    pick -4
    store                   ; cell word 1 = chain, not a reference of Cell
    slotaddr -3
    pick -2
    store                   ; chain = cell
    adjust -1
    push 1
    sub
    dup
    jz finished
    jmp loop
finished:
    adjust -2
    pushstr doneText
    native 30, 1
    ret 0, 1
