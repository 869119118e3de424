; An instruction budget ends a loop that allocates objects and strings and
; appends to a vector at the same instruction and with the same line whether
; collections run inside the call or not: the steps held back to reach a
; collection are given back. The loop checks its steps at four places (a
; conditional branch, a call, a return, a jump), so a step lost or counted
; twice moves the stop. In a 16 MiB heap it collects every few thousand
; rounds; the stress runs collect at every safepoint.
; run-args: --budget 300001 --heap-mib 16
; expect-log: looping
; expect-stderr: FATAL: UnknownException (CODE:11) instruction budget exhausted at 69
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main pairs=[1]
.frame Leaf
.string looping "looping"
main:                       ; [ret]
    pushstr looping
    native 30, 1
    push 0
    push 0                  ; [ret, v, n]: a vector variable
    slotaddr -2
    newvec 4
    push 0                  ; [ret, v, n, i]
forever:
    new 1, 250              ; a kilobyte, dropped at once
    adjust -1
    push 1
    add
    slotaddr -3
    pick -2
    native 3, 19            ; append i to the vector
    slotaddr -3
    push 0
    native 3, 21            ; and remove it again: the storage stays small
    pick -1
    push 1
    and
    jz even
    call odd, Leaf
even:
    jmp forever

odd:                        ; [..., ret]
    pick -2
    itos                    ; a string a native instruction made
    adjust -1
    ret 0, 1
