; Objects held only by the value stack live through the collections that run
; inside a call: an object in a slot the frame describes, a vector variable
; held in a described pair of slots with its storage and element, an object
; reached only through the address of one of its fields, and the strings an
; instruction and a native made, in words between two frames. A described
; slot holding a number that is no reference is skipped. The called function
; makes 60 MB of garbage, past the 32 MiB that starts a collection (the
; stress runs collect after every allocation).
; expect-log: 41
; expect-log: 5
; expect-log: 7
; expect-log: No Callstack available
; expect-log: 1234
.method "main" code=main frame=Main
.type Cell
.frame Main c=4 objects=[3] refs=[4] pairs=[1]
.frame Leaf a=1
main:                       ; [ret]
    push 0
    push 0                  ; [ret, v, n]: a vector variable in slots 1 and 2
    slotaddr -2
    newvec 4
    new 1, 2
    dup
    settype Cell            ; [ret, v, n, cell]
    dup
    fieldaddr 1
    push 41
    store                   ; cell.1 = 41
    push 99999              ; [ret, v, n, cell, 99999]: described, but no reference
    slotaddr -4
    push 5
    native 3, 19            ; append 5 to the vector in slots 1 and 2
    new 1, 3
    dup
    settype Cell
    fieldaddr 2             ; [..., &other.2]: only an interior address is kept
    dup
    push 7
    store
    native 32, 4            ; [..., &other.2, text]: a string a native made
    push 1234
    itos                    ; [..., &other.2, text, "1234"]
    push 1000000
    call churn, Leaf        ; the words above slot 4 lie between the two frames
    pick -5
    fieldaddr 1
    load
    itos
    native 30, 1            ; 41
    slotaddr -7
    push 0
    native 3, 8             ; [..., &v, element 0]
    itos
    native 30, 1            ; 5
    adjust -1
    pick -3
    load
    itos
    native 30, 1            ; 7
    pick -2
    native 30, 1            ; No Callstack available
    dup
    native 30, 1            ; 1234
    ret 7, 8

churn:                      ; [..., count, ret]
    pick -2
loop:
    new 2, 8                ; 60 bytes with header and footer, dropped at once
    adjust -1
    push 1
    sub
    dup
    jz out
    jmp loop
out:
    adjust -1
    ret 0, 2
