; Fonts through the player: the native font has the metrics of the
; installed family at 40 pixels (height 46, ascent 37, "Hello" 101 pixels
; wide); a file that is no image is no bitmap font.
; modes: player
; expect-log: 46
; expect-log: 37
; expect-log: 101
; expect-log: InvalidArgumentException
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string imagePath "index.mcb"
.string hello "Hello"
main:                       ; [ret]
    native 32, 10           ; [ret, font]
    pick -1
    native 20, 2
    itos
    native 30, 1
    pick -1
    native 20, 3
    itos
    native 30, 1
    pick -1
    pushstr hello
    native 20, 4
    itos
    native 30, 1
    pushstr imagePath
    native 32, 11           ; raises
    native 32, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
