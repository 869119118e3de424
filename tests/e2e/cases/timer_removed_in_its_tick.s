; Headless timers: the listener is kept alive only by its timer, yet the
; collections after main and after every tick leave it intact (each tick
; allocates a block of the listener's size that would take its place). The
; timer removes itself on its third tick; with no timer left the runner ends
; with status 0.
; expect-log: tick 1
; expect-log: tick 2
; expect-log: tick 3
; expect-log: removed
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Counter
.frame Main
.string tickText "tick "
.string removedText "removed"
main:                       ; [ret]
    new 1, 3                ; word 1 counts the ticks, word 2 holds the timer id
    dup
    settype Counter         ; [ret, L]
    push 0
    pick -2
    push 1
    native 33, 1            ; [ret, L, id]
    pick -2
    fieldaddr 2
    pick -2
    store                   ; L.2 = id
    ret 2, 3                ; nothing but the timer refers to L now

tick:                       ; [L, ret]
    new 1, 3                ; garbage of the listener's size
    dup
    fieldaddr 1
    push 100
    store                   ; [L, ret, G]
    pick -3
    fieldaddr 1
    inc.at
    pushstr tickText
    pick -4
    fieldaddr 1
    load
    itos
    native 8, 48
    native 30, 1            ; "tick N"
    pick -3
    fieldaddr 1
    load
    push 3
    eq
    jz more
    push 0
    pick -4
    fieldaddr 2
    load
    native 33, 2            ; remove this very timer
    pushstr removedText
    native 30, 1
more:
    ret 1, 3
