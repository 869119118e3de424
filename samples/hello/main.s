; The bundled sample application. It logs its start, every key with its text,
; every pointer event and each timer tick, and paints the whole screen in one
; colour that changes with the last key pressed.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*application>.key pressed<*keyevent>" code=keyPressed frame=Main
.method "<*application>.key released<*keyevent>" code=keyReleased frame=Main
.method "<*application>.pointer event<int>at x<int>y<int>modifiers<int>" code=pointer frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.method "<*application>.background event" code=background frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Hello
.frame Main
.string started "hello: started, timer "
.string pressed "hello: key pressed "
.string released "hello: key released "
.string withText " text "
.string pointerKind "hello: pointer "
.string at " at "
.string comma ","
.string tickText "hello: tick "
.string foregroundText "hello: foreground"
.string backgroundText "hello: background"

; The application object: word 0 its type, word 1 the screen colour,
; word 2 the number of timer ticks.
main:
    new 1, 3
    dup
    settype Hello
    dup
    fieldaddr 1
    push 0xFF203060
    store
    dup
    native 32, 5            ; the application object
    push 0                  ; [app, slot, listener, delay]: a tick every second
    pick -2
    push 1000
    native 33, 1            ; [app, timer id]
    pushstr started
    pick -2
    itos
    native 8, 48
    native 30, 1
    ret 2, 3                ; drop the object and the id

draw:                       ; [app, canvas*, ret]
    pick -2
    pick -4
    fieldaddr 1
    load
    native 18, 8            ; fill the screen with the colour
    ret 0, 3

keyPressed:                 ; [app, event*, ret]
    pick -3                 ; colour := opaque, from the key code
    fieldaddr 1
    pick -3
    native 35, 1
    push 0x030507
    mul
    push 0xFF000000
    or
    store
    pushstr pressed
    call logKey, Main
    native 31, 1            ; repaint everything
    ret 0, 3

keyReleased:                ; [app, event*, ret]
    pushstr released
    call logKey, Main
    ret 0, 3

logKey:                     ; [app, event*, ret, prefix, ret]: logs prefix, code and text
    pick -2                 ; the prefix
    pick -5                 ; the event
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

foreground:                 ; [app, ret]
    pushstr foregroundText
    native 30, 1
    ret 0, 2

background:                 ; [app, ret]
    pushstr backgroundText
    native 30, 1
    ret 0, 2

tick:                       ; [listener, ret]
    pick -2
    fieldaddr 2
    inc.at
    pushstr tickText
    pick -3
    fieldaddr 2
    load
    itos
    native 8, 48
    native 30, 1
    ret 0, 2
