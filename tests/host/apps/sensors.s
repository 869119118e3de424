; Reads the accelerometer's three axes on every tick of a 30 ms timer and
; logs each axis as the two words of its Fixed value, high then low, one
; line each, then whether the camera cover is open (1 or 0); each tick asks
; for a repaint.
; After the fourth tick it logs "done" and exits.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.virtual "<*accelerometerobserver>.handle accelerometer event<fixed><fixed><fixed>"
.impl type=0 code=observed frame=Main    ; only found, never called
.type Sensors               ; word 1: the ticks so far
.frame Main
.string mainText "main"
.string doneText "done"

main:                       ; [ret]
    new 1, 2                ; [ret, app]
    dup
    settype Sensors
    dup
    native 32, 5            ; the host's events now reach it
    push 0                  ; Timer.add leaves the id in this slot
    pick -2                 ; the listener
    push 30
    native 33, 1            ; [ret, app, id]
    pushstr mainText
    native 30, 1
    ret 2, 3

observed:
    ret 0, 5

draw:                       ; [app, canvas*, ret]
    pick -2
    push 0xFF203040
    native 18, 8
    ret 0, 3

tick:                       ; [app, ret]
    pick -2
    fieldaddr 1
    pick -3
    fieldaddr 1
    load
    push 1
    add
    store
    push 0
    ext 20, 11              ; x: [app, ret, low, high]
    itos
    native 30, 1
    itos
    native 30, 1
    push 0
    ext 20, 12              ; y
    itos
    native 30, 1
    itos
    native 30, 1
    push 0
    ext 20, 13              ; z
    itos
    native 30, 1
    itos
    native 30, 1
    ext 36, 4               ; the camera cover
    itos
    native 30, 1
    native 31, 1            ; Screen.repaint
    pick -2
    fieldaddr 1
    load
    push 4
    lt
    jz finish
    ret 0, 2
finish:
    pushstr doneText
    native 30, 1
    native 32, 1            ; System.exit
    ret 0, 2
