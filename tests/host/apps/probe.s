; Reports every event it gets as a log line. Its screen: a dark blue
; background with a red 100 x 50 rectangle at the buffer's origin; in
; portrait it asks for the portrait orientation in main.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*application>.key pressed<*keyevent>" code=keyPressed frame=Main
.method "<*application>.key released<*keyevent>" code=keyReleased frame=Main
.method "<*application>.pointer event<int>at x<int>y<int>modifiers<int>" code=pointer frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.method "<*application>.background event" code=background frame=Main
.type Probe
.frame Main
.string mainText "main"
.string drawText "draw"
.string pressed "pressed "
.string released "released "
.string withText " text "
.string pointerKind "pointer "
.string at " at "
.string comma ","
.string foregroundText "foreground"
.string backgroundText "background"
.string portraitFile "portrait"

main:                       ; [ret]
    new 1, 1
    dup
    settype Probe
    native 32, 5
    push 0                  ; receiver slot of the file-exists result
    pushstr portraitFile    ; a file named "portrait" selects the portrait orientation
    native 25, 1
    jz landscape
    push 1
    native 31, 3
landscape:
    pushstr mainText
    native 30, 1
    ret 0, 1

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
    pushstr drawText
    native 30, 1
    ret 0, 3

keyPressed:                 ; [app, event*, ret]
    pushstr pressed
    call logKey, Main
    native 31, 1            ; repaint everything
    ret 0, 3

keyReleased:
    pushstr released
    call logKey, Main
    ret 0, 3

logKey:                     ; [app, event*, ret, prefix, ret]
    pick -2
    pick -5
    native 35, 1
    itos
    native 8, 48
    pushstr withText
    native 8, 48
    pick -5
    native 35, 4
    native 8, 48
    native 30, 1
    ret 0, 2

pointer:                    ; [app, kind, x, y, modifiers, ret]
    pushstr pointerKind
    pick -6
    itos
    native 8, 48
    pushstr at
    native 8, 48
    pick -5
    itos
    native 8, 48
    pushstr comma
    native 8, 48
    pick -4
    itos
    native 8, 48
    native 30, 1
    ret 0, 6

foreground:
    pushstr foregroundText
    native 30, 1
    ret 0, 2

background:
    pushstr backgroundText
    native 30, 1
    ret 0, 2
