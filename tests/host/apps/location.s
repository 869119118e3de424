; Starts a position requestor reporting every second; each position is
; logged as "position", then its longitude, latitude and altitude, each as
; the two words of its Fixed value (high first), and asks for a repaint,
; whose screen is coloured by the positions so far. After the second
; position it stops the requestor, logs "done" and exits.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.virtual "<*locationobserver>.handle location event<*location>"
.impl type=App code=onLocation frame=Main
.type App refs=[1]          ; word 1: the requestor's wrapper; word 2: positions so far
.frame Main
.string mainText "main"
.string positionText "position"
.string doneText "done"

main:                       ; [ret]
    new 1, 4
    dup
    settype App
    dup
    native 32, 5            ; [ret, app]
    pick -1
    fieldaddr 1
    push 0
    box
    store                   ; the requestor wrapper in field 1
    pick -1
    fieldaddr 1
    load
    pick -2                 ; [ret, app, wrapper, observer]
    push 7
    push 1
    ext 27, 1               ; a requestor reporting every second
    pushstr mainText
    native 30, 1
    ret 1, 2

draw:                       ; [app, canvas*, ret]
    pick -2
    pick -4
    fieldaddr 2
    load
    push 0x00402010
    mul
    push 0xFF102030
    add
    native 18, 8
    ret 0, 3

onLocation:                 ; [app, location, ret]
    pushstr positionText
    native 30, 1
    pick -2
    ext 27, 13
    itos
    native 30, 1
    itos
    native 30, 1
    pick -2
    ext 27, 12
    itos
    native 30, 1
    itos
    native 30, 1
    pick -2
    ext 27, 11
    itos
    native 30, 1
    itos
    native 30, 1
    native 31, 1            ; Screen.repaint
    pick -3
    fieldaddr 2
    inc.at
    pick -3
    fieldaddr 2
    load
    push 2
    eq
    jz more
    pick -3
    fieldaddr 1
    load
    ext 27, 3               ; the requestor stops
    pushstr doneText
    native 30, 1
    native 32, 1            ; System.exit
more:
    ret 0, 3
