; A store into a stack slot: inside the stack it lands in the slot (read back
; above the top), below the stack's arena range it is a wild address.
; expect-stderr: FATAL: InvalidArgumentException (VMException: invalid address 65096 at 32, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    push 3
    slotaddr 5
    pick -2
    store
    adjust -1
    push 4
    pick 5
    push 3
    eq
    jz wrong
    slotaddr -120
    pick -2
    store
    ret 0, 1
wrong:
    push 0
    load
    ret 0, 1
