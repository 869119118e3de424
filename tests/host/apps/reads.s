; Reads from outside itself on every tick of a 30 ms timer and logs them in
; one line: "reads <uptime> <wall clock> <random> <calendar in UTC> <files
; in data> <whether data/a.txt exists>"; each tick asks for a repaint, whose
; screen shows another random number in the native font. After the eighth
; tick it logs "done" and exits.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Reads                 ; word 1: the ticks so far
.frame Main
.string mainText "main"
.string readsText "reads "
.string space " "
.string randomText "random "
.string dataFolder "data"
.string dataFile "data/a.txt"
.string doneText "done"

main:                       ; [ret]
    new 1, 2                ; [ret, app]
    dup
    settype Reads
    dup
    native 32, 5            ; the host's events now reach it
    push 0                  ; Timer.add leaves the id in this slot
    pick -2                 ; the listener
    push 30
    native 33, 1            ; [ret, app, id]
    pushstr mainText
    native 30, 1
    ret 2, 3

draw:                       ; [app, canvas*, ret]
    pick -2
    push 0xFF203040
    native 18, 8
    pick -2
    pushstr randomText
    push 0
    push 1000000
    native 26, 12           ; Math.randomInt
    itos
    native 8, 48
    push 10
    push 100
    push 0xFFFFFFFF
    native 32, 10           ; the native font
    native 18, 2            ; Graphics.drawText
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
    pushstr readsText
    native 32, 3            ; System.uptime
    itos
    native 8, 48
    pushstr space
    native 8, 48
    native 32, 8            ; System.currentTime
    itos
    native 8, 48
    pushstr space
    native 8, 48
    push 0
    push 1000000
    native 26, 12           ; Math.randomInt
    itos
    native 8, 48
    pushstr space
    native 8, 48
    push 1
    native 32, 9            ; System.dateTime in UTC
    native 29, 21           ; DateTime.toString
    native 8, 48
    pushstr space
    native 8, 48
    push 0
    pushstr dataFolder
    native 25, 6            ; FileSystem.files
    native 7, 11            ; its size
    itos
    native 8, 48
    pushstr space
    native 8, 48
    push 0
    pushstr dataFile
    native 25, 1            ; FileSystem.fileExists
    itos
    native 8, 48
    native 30, 1
    native 31, 1            ; Screen.repaint
    pick -2
    fieldaddr 1
    load
    push 8
    lt
    jz finish
    ret 0, 2
finish:
    pushstr doneText
    native 30, 1
    native 32, 1            ; System.exit
    ret 0, 2
