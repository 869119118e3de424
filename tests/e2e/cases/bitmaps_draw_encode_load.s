; Bitmaps without the screen: a sprite with a translucent pixel is drawn on
; a white canvas, which is read back, encoded as PNG, written to a file,
; loaded from it and read again. GIF cannot be written: no bytes. Bytes from
; inside the PNG are no image. Pixels are logged as signed decimals.
; modes: mcbrun player
; expect-log: -65536
; expect-log: -8421377
; expect-log: 6
; expect-log: -8421377
; expect-log: 0
; expect-log: InvalidArgumentException: Could not load image
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string path "pics/scene.png"
main:                       ; [ret]
    push 0
    box                     ; [ret, canvas]: 6 x 4 white
    pick -1
    push 6
    push 4
    push 0xFFFFFFFF
    native 19, 1
    push 0
    box                     ; [ret, canvas, sprite]: 2 x 2 red, one half-transparent blue pixel
    pick -1
    push 2
    push 2
    push 0xFFFF0000
    native 19, 1
    pick -1
    push 1
    push 1
    push 0x800000FF
    native 19, 9
    pick -2
    pick -2
    push 1
    push 1
    push 255
    native 18, 1            ; the sprite at (1, 1)
    pick -2
    push 1
    push 1
    native 19, 7
    itos
    native 30, 1            ; red
    pick -2
    push 2
    push 2
    native 19, 7
    itos
    native 30, 1            ; blue over white
    pick -2
    push 2
    native 19, 13           ; [.., png]
    push 0
    box                     ; [.., png, writer]
    pick -1
    pushstr path
    push 0
    native 22, 1
    pick -1
    pick -3
    native 21, 3
    pick -1
    native 21, 1
    push 0
    box                     ; [.., png, writer, loaded]
    pick -1
    pushstr path
    native 19, 3
    pick -1
    native 19, 8
    adjust -1
    itos
    native 30, 1            ; its width
    pick -1
    push 2
    push 2
    native 19, 7
    itos
    native 30, 1
    pick -5
    push 3
    native 19, 13           ; GIF
    native 1, 11
    itos
    native 30, 1
    push 0
    box
    pick -4
    push 1
    push 8
    native 19, 5            ; raises
    native 32, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
