; An image that can draw runs under the headless runner as one that cannot:
; text measured in the native font has a width, and a timer still ticks,
; ending the run on its first tick.
; expect-log: width positive -1
; expect-log: tick
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type App
.frame Main
.string widthText "width positive "
.string text "Measured"
.string tickText "tick"
main:                       ; [ret]
    pushstr widthText
    native 32, 10           ; [ret, prefix, native font box]
    pushstr text
    native 20, 4            ; [ret, prefix, width]
    push 0
    gt                      ; -1: true
    itos
    native 8, 48
    native 30, 1            ; [ret]
    new 1, 1
    dup
    settype App
    dup
    native 32, 5            ; [ret, app]
    push 0
    pick -2
    push 5
    native 33, 1            ; [ret, app, timer id]
    ret 2, 3

tick:                       ; [listener, ret]
    pushstr tickText
    native 30, 1
    native 32, 1
