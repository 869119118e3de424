; Fonts through the player: a glyph strip drawn with the bitmap natives is
; written as "font.png" and loaded as a bitmap font (height 4, "!A!" 6
; pixels wide: 'A' is not in the font); the native font has the metrics of
; the installed family at 40 pixels; the image file itself is no font.
; modes: player
; expect-log: 4
; expect-log: 6
; expect-log: 46
; expect-log: 37
; expect-log: InvalidArgumentException
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string fontPath "font.png"
.string imagePath "index.mcb"
.string bangs "!A!"
main:                       ; [ret]
    push 0
    box                     ; [ret, strip]: 8 x 5, ascent 3, ' ' 3 empty columns, '!' a 3 x 4 block
    pick -1
    push 8
    push 5
    push 0xFF000000
    native 19, 1
    pick -1
    push 0
    push 0
    push 1
    push 3
    push -1
    native 18, 4            ; the ascent column
    pick -1
    push 4
    push 0
    push 3
    push 4
    push -1
    native 18, 4            ; the '!'
    pick -1
    push 4
    push 4
    push -1
    native 19, 9
    pick -1
    push 7
    push 4
    push -1
    native 19, 9            ; the markers
    pick -1
    push 2
    native 19, 13           ; [ret, strip, png]
    push 0
    box                     ; [ret, strip, png, writer]
    pick -1
    pushstr fontPath
    push 0
    native 22, 1
    pick -1
    pick -3
    native 21, 3
    pick -1
    native 21, 1
    pushstr fontPath
    native 32, 11           ; [ret, strip, png, writer, font]
    pick -1
    native 20, 2
    itos
    native 30, 1
    pick -1
    pushstr bangs
    native 20, 4
    itos
    native 30, 1
    native 32, 10           ; [.., font, native font]
    pick -1
    native 20, 2
    itos
    native 30, 1
    pick -1
    native 20, 3
    itos
    native 30, 1
    pushstr imagePath
    native 32, 11           ; raises
    native 32, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
