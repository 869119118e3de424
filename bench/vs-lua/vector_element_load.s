; A vector of 10^7 ints filled by appends, then summed through the address of
; each element (IntVector.elementAt) and a load: the work of vector_fill_sum.s
; by the other way bytecode reads an element.
; The number on each line marked "size" is the size: in-process benchmarks
; put theirs there.
.method "main" code=main frame=F
.frame F
main:
    push 0              ; sum
    new 6, 2
    dup
    newvec 4            ; [sum, handle]
    push 0
fill:
    pick -2
    pick -2
    native 3, 19
    push 1
    add
    dup
    push 10000000       ; size
    ge
    jz fill
    adjust -1
    push 0              ; [sum, handle, i]
sum:
    pick -2
    pick -2
    native 3, 6         ; [sum, handle, i, address]
    load                ; [sum, handle, i, element]
    pick -4
    add
    slotaddr -4
    pick -2
    store               ; sum := sum + element
    adjust -1
    push 1
    add
    dup
    push 10000000       ; size
    ge
    jz sum
    adjust -3
    ret 0, 1
