; Two million one-field objects made and dropped inside main, 72 MB in all,
; run to the end in a 16 MiB heap: collections run while main runs.
; no-gc-stress: a collection after each of two million allocations takes minutes; stack_roots_in_a_call covers the stress run
; run-args: --heap-mib 16
; expect-log: done
.method "main" code=main frame=Main
.frame Main
.string doneText "done"
main:                       ; [ret]
    push 2000000
loop:
    new 2, 2
    fieldaddr 1
    push 7
    store
    push 1
    sub
    dup
    jz finished
    jmp loop
finished:
    adjust -1
    pushstr doneText
    native 30, 1
    ret 0, 1
