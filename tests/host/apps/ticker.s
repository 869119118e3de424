; A timer of 40 ms whose every tick logs the uptime: "tick <ms>". Its screen:
; the probe's dark blue with a red 100 x 50 rectangle at the origin.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Ticker
.frame Main
.string mainText "main"
.string tickText "tick "

main:                       ; [ret]
    new 1, 1                ; [ret, app]
    dup
    settype Ticker
    dup
    native 32, 5            ; the host's events now reach it
    push 0                  ; Timer.add leaves the id in this slot
    pick -2                 ; the listener
    push 40
    native 33, 1            ; [ret, app, id]
    pushstr mainText
    native 30, 1
    ret 2, 3

draw:                       ; [app, canvas*, ret]
    pick -2
    push 0xFF102040
    native 18, 8
    pick -2
    push 0
    push 0
    push 100
    push 50
    push 0xFFFF0000
    native 18, 4
    ret 0, 3

tick:                       ; [app, ret]
    pushstr tickText
    native 32, 3            ; uptime in milliseconds
    itos
    native 8, 48
    native 30, 1
    ret 0, 2
