; Draws a fixed scene on every paint through the draw entry point, in the
; buffer's top left 240 x 200 pixels: a tiled band, a sprite drawn opaque,
; at half opacity and as a region, two crossing lines and the sprite turned
; and stretched; below them a line in the bitmap font of "font.png", part
; of it again at half opacity, and a word in the native font. It keeps its first canvas and asks for two more frames
; after the first; the opaque sprite reaches its place only in the third, so
; the picture shows that later frames paint although a canvas is kept. With
; a file named "portrait" it asks for the portrait orientation in main.
.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.type Scene refs=[1,3,4]    ; words: 1 the kept canvas, 2 frames drawn, 3 the bitmap font, 4 the native font
.frame Main
.string mainText "main"
.string drawText "draw"
.string portraitFile "portrait"
.string fontFile "font.png"
.string bitmapText "Bitmap font: 42 {ok}"
.string nativeText "A native line"

main:                       ; [ret]
    new 1, 5
    dup
    settype Scene
    pick -1
    fieldaddr 3
    pushstr fontFile
    native 32, 11
    store
    pick -1
    fieldaddr 4
    native 32, 10
    store
    native 32, 5
    push 0
    pushstr portraitFile
    native 25, 1
    jz landscape
    push 1
    native 31, 3
landscape:
    pushstr mainText
    native 30, 1
    ret 0, 1

draw:                       ; [app, canvas*, ret]
    pick -3
    fieldaddr 1
    load
    jz keepCanvas
    jmp canvasKept
keepCanvas:
    pick -3
    fieldaddr 1
    pick -3
    load
    store                   ; the first canvas, kept for good
canvasKept:
    pick -3
    fieldaddr 2
    pick -4
    fieldaddr 2
    load
    push 1
    add
    store
    pick -3
    fieldaddr 2
    load
    push 3
    lt
    jz lastFrame
    native 31, 1            ; one more frame
lastFrame:
    pick -2
    push 0xFF102040
    native 18, 8            ; background
    push 0
    box                     ; [.., tile]: 8 x 8 yellow with a dark green quarter
    pick -1
    push 8
    push 8
    push 0xFFFFD000
    native 19, 1
    pick -1
    push 0
    push 0
    push 4
    push 4
    push 0xFF006020
    native 18, 4
    push 0
    box                     ; [.., tile, sprite]: 16 x 16 red, translucent white centre, blue corner
    pick -1
    push 16
    push 16
    push 0xFFE02020
    native 19, 1
    pick -1
    push 4
    push 4
    push 8
    push 8
    push 0x80FFFFFF
    native 18, 4
    pick -1
    push 0
    push 0
    push 4
    push 4
    push 0xFF2040FF
    native 18, 4
    pick -1
    push 15
    push 15
    push 0xFF00FFFF
    native 19, 9            ; one cyan pixel, set directly
    pick -4
    pick -3
    push 0
    push 0
    push 200
    push 40
    push 3
    push 2
    push 255
    native 18, 6            ; tiles across the top
    pick -4
    pick -2
    pick -7                 ; the application object
    fieldaddr 2
    load
    push 10
    mul
    push 20
    sub
    push 50
    push 255
    native 18, 1            ; the sprite, at x = 10 in the third frame
    pick -4
    pick -2
    push 40
    push 50
    push 128
    native 18, 1            ; at half opacity
    pick -4
    pick -2
    push 70
    push 50
    push 0
    push 0
    push 8
    push 8
    push 255
    native 18, 7            ; its top left corner only
    pick -4
    push 0
    push 100
    push 199
    push 119
    push 0xFFFFFFFF
    native 18, 5
    pick -4
    push 0
    push 119
    push 199
    push 100
    push 0xFF00FF00
    native 18, 5            ; two crossing lines
    pick -4
    pick -2
    push 150
    push 70
    push -0x80000000        ; angle 0.5
    push 0
    push 0                  ; scale x 2
    push 2
    push 0                  ; scale y 1
    push 1
    push 255
    native 18, 10           ; turned and stretched
    pick -4
    pushstr bitmapText
    push 6
    push 124
    push 0xFFFFE080
    pick -10                ; the application object
    fieldaddr 3
    load
    native 18, 2            ; a line in the bitmap font
    pick -4
    pushstr bitmapText
    push 13
    push 7
    push 110
    push 96
    push 0x8080FFFF
    pick -12
    fieldaddr 3
    load
    native 18, 3            ; "42 {ok}" at half opacity, across the turned sprite
    pick -4
    pushstr nativeText
    push 2
    push -1
    push 6
    push 148
    push 0xFFFFFFFF
    pick -12
    fieldaddr 4
    load
    native 18, 3            ; "native line" in the native font
    adjust -2
    pushstr drawText
    native 30, 1
    ret 0, 3
