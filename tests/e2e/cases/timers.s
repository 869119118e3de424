; Timer ids start at 10 and are never reused; removing a timer stops it, and
; a new delay restarts the period. Only timer 12 survives: it is created with
; a delay far beyond the test's time and only fires because its delay is
; then lowered. It ends the run on its third tick.
; modes: mcbrun player
; expect-log: 10
; expect-log: 11
; expect-log: 12
; expect-log: tick 1
; expect-log: tick 2
; expect-log: tick 3
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type App
.frame Main
.string tickText "tick "
main:                       ; [ret]
    new 1, 2                ; word 1 counts the ticks
    dup
    settype App
    dup
    native 32, 5            ; [ret, app]
    push 0
    pick -2
    push 5
    native 33, 1            ; [ret, app, 10]
    dup
    itos
    native 30, 1
    push 0
    pick -3
    push 5
    native 33, 1            ; [ret, app, 10, 11]
    dup
    itos
    native 30, 1
    push 0
    pick -3
    native 33, 2            ; remove 10: [ret, app, 10, 11]
    push 0
    pick -3
    native 33, 2            ; removing 10 again changes nothing
    push 0
    pick -4
    push 100000000
    native 33, 1            ; [ret, app, 10, 11, 12]
    dup
    itos
    native 30, 1
    push 0
    pick -3
    native 33, 2            ; remove 11
    push 0
    pick -2
    push 20
    native 33, 3            ; timer 12 now every 20 ms
    push 0
    push 99
    push 20
    native 33, 3            ; an unknown id is ignored
    ret 4, 5

tick:                       ; [listener, ret]
    pick -2
    fieldaddr 1
    inc.at
    pushstr tickText
    pick -3
    fieldaddr 1
    load
    itos
    native 8, 48
    native 30, 1
    pick -2
    fieldaddr 1
    load
    push 3
    eq
    jz more
    native 32, 1            ; third tick: exit with status 0
more:
    ret 0, 2
