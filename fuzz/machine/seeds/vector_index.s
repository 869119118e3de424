; Appends to a word vector and reads its elements back through the combined
; element natives, then reads one past the end.
.method "main" code=main frame=F
.frame F
.string filled "filled"
main:
    new 6, 2
    dup
    newvec 4            ; [handle]
    push 0
fill:
    pick -2
    pick -2
    native 3, 19
    push 1
    add
    dup
    push 5
    ge
    jz fill
    pushstr filled
    native 30, 1
read:
    pick -2
    pick -2
    native 3, 8         ; the read at 5 is outside
    adjust -1
    push 1
    add
    jmp read
