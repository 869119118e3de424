; Picked arithmetic, compare-and-branch and an increment jumping back, in a
; loop that runs until the budget is gone.
.method "main" code=main frame=F
.frame F
.string started "started"
main:
    pushstr started
    native 30, 1
    push 3
    push 0
loop:
    pick -2
    push 7
    mul
    pick -2
    sub
    dup
    push 100
    lt
    jz skip
    dup
    pick -3
    add
    adjust -1
skip:
    pick -2
    push 50
    eq
    jz next
    push 9
    adjust -1
next:
    adjust -1
    push 1
    add
    jmp loop
