; A while-loop of 10^8 adds into a sum kept to 32 bits.
; The number on each line marked "size" is the size: in-process benchmarks
; put theirs there.
.method "main" code=main frame=F
.frame F
main:
    push 0              ; sum
    push 0              ; i
loop:
    dup
    push 100000000      ; size
    lt
    jz done
    dup
    pick -3
    add
    push -1
    and                 ; sum + i, masked to 32 bits
    slotaddr -3
    pick -2
    store
    adjust -1
    push 1
    add
    jmp loop
done:
    adjust -2
    ret 0, 1
