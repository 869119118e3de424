; A frame whose description names no slot keeps the objects in its words
; through the collections inside the call: every word of it is taken
; conservatively. 50 MB of garbage in a 16 MiB heap collects several times.
; run-args: --heap-mib 16
; expect-log: 41
; expect-log: 42
.method "main" code=main frame=Main
.type Cell
.frame Main
main:                       ; [ret]
    new 1, 3
    dup
    settype Cell            ; [ret, cell]
    dup
    fieldaddr 1
    push 41
    store                   ; cell.1 = 41
    dup
    fieldaddr 2
    push 42
    store                   ; cell.2 = 42
    push 200000             ; [ret, cell, n]
churn:
    new 1, 64               ; 260 bytes, dropped at once
    adjust -1
    push 1
    sub
    dup
    jz churned
    jmp churn
churned:
    adjust -1
    dup
    fieldaddr 1
    load
    itos
    native 30, 1            ; 41
    fieldaddr 2
    load
    itos
    native 30, 1            ; 42
    ret 0, 1
