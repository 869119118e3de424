; The bundled sample application. It logs its start, every key with its text,
; every pointer event and each timer tick. It paints the screen in a colour
; that changes with the last key pressed, crosses it with lines, and draws a
; sprite bitmap opaque and translucent, as tiles along the bottom, and large
; in the middle, turning a little further with every timer tick. A line of
; text beside the sprites is drawn in the bitmap font of "font.png", which
; the build renders next to the image.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*application>.key pressed<*keyevent>" code=keyPressed frame=Main
.method "<*application>.key released<*keyevent>" code=keyReleased frame=Main
.method "<*application>.pointer event<int>at x<int>y<int>modifiers<int>" code=pointer frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.method "<*application>.background event" code=background frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Hello refs=[3,4]
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
.string fontFile "font.png"
.string greeting "Hello from a bitmap font"

; The application object: word 0 its type, word 1 the screen colour,
; word 2 the number of timer ticks, word 3 the sprite (a bitmap), word 4
; the bitmap font.
main:
    new 1, 5
    dup
    settype Hello
    dup
    fieldaddr 1
    push 0xFF203060
    store
    dup
    fieldaddr 4
    pushstr fontFile
    native 32, 11           ; the font's box
    load
    store
    dup
    native 32, 5            ; the application object
    dup
    call makeSprite, Main
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

; The sprite: 32 x 32, transparent round a gold square with a translucent
; red centre, crossed by a white diagonal. The word holding it serves as
; the bitmap's reference for the natives.
makeSprite:                 ; [.., app, ret]
    pick -2
    fieldaddr 3
    push 32
    push 32
    push 0x00000000
    native 19, 1
    pick -2
    fieldaddr 3
    push 4
    push 4
    push 24
    push 24
    push 0xFFFFC000
    native 18, 4
    pick -2
    fieldaddr 3
    push 10
    push 10
    push 12
    push 12
    push 0xC0E02040
    native 18, 4
    pick -2
    fieldaddr 3
    push 4
    push 4
    push 27
    push 27
    push 0xFFFFFFFF
    native 18, 5
    ret 0, 2

draw:                       ; [app, canvas*, ret]
    pick -2
    pick -4
    fieldaddr 1
    load
    native 18, 8            ; fill the screen with the colour
    pick -2
    push 0
    push 0
    push 799
    push 479
    push 0xFFFFFFFF
    native 18, 5
    pick -2
    push 0
    push 479
    push 799
    push 0
    push 0xFFFFFFFF
    native 18, 5            ; two diagonals
    pick -2
    pick -4
    fieldaddr 3
    push 0
    push 440
    push 800
    push 40
    push 0
    push 4
    push 255
    native 18, 6            ; tiles along the bottom
    pick -2
    pick -4
    fieldaddr 3
    push 20
    push 20
    push 255
    native 18, 1
    pick -2
    pick -4
    fieldaddr 3
    push 60
    push 20
    push 96
    native 18, 1            ; the sprite, opaque and translucent
    pick -2                 ; turned by a quarter radian per tick, four times as large
    pick -4
    fieldaddr 3
    push 400
    push 240
    pick -7
    fieldaddr 2
    load
    push 30
    shl                     ; angle: low word
    pick -8
    fieldaddr 2
    load
    push 2
    shr                     ; angle: high word
    push 0
    push 4
    push 0
    push 4
    push 255
    native 18, 10
    pick -2
    pushstr greeting
    push 110
    push 30
    push 0xFFFFFFFF
    pick -8
    fieldaddr 4
    native 18, 2            ; the greeting in the bitmap font
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
    native 31, 1            ; repaint: the sprite turns
    ret 0, 2
