; 10^7 allocations of a one-field object; the collection after main included.
; The number on each line marked "size" is the size: in-process benchmarks
; put theirs there.
.method "main" code=main frame=F
.frame F
main:
    push 10000000       ; size
loop:
    new 2, 2
    fieldaddr 1
    push 7
    store
    push 1
    sub
    dup
    jz done
    jmp loop
done:
    adjust -1
    ret 0, 1
