; A compare-and-branch whose fall-through returns with its address read from
; the wrong slot, and an add before a store-and-return into a slot below the
; stack (recursion through both sequences comes from the e2e cases).
.method "main" code=main frame=F
.frame F
main:
    push 7
    call short, F
    push 1
    call low, F
    ret 0, 1
low:
    pick -2
    push 5
    lt
    jz low
    ret 40, 1
short:
    push 0
    add
    slotaddr -9
    pick -2
    store
    adjust -1
    ret 0, 1
