; Bitmaps without the screen: a sprite with a translucent pixel is drawn on
; a white canvas with a line across it; the canvas is read back, encoded as
; PNG, written to a file, loaded from that file and read again; GIF cannot
; be written and gives no bytes; 8 bytes from inside the PNG are no image.
; Pixels are logged as signed decimals.
; modes: player
; expect-log: -65536
; expect-log: -8421377
; expect-log: -16711936
; expect-log: -1
; expect-log: -1
; expect-log: 6
; expect-log: 4
; expect-log: -8421377
; expect-log: -16711936
; expect-log: 0
; expect-log: InvalidArgumentException: Could not load image
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string path "pics/scene.png"
main:                       ; [ret]
    push 0
    box                     ; [ret, canvas]
    pick -1
    push 6
    push 4
    push 0xFFFFFFFF
    native 19, 1            ; 6 x 4 white
    push 0
    box                     ; [ret, canvas, sprite]
    pick -1
    push 2
    push 2
    push 0xFFFF0000
    native 19, 1            ; 2 x 2 red
    pick -1
    push 1
    push 1
    push 0x800000FF
    native 19, 9            ; one half-transparent blue pixel
    pick -2
    pick -2
    push 1
    push 1
    push 255
    native 18, 1            ; the sprite at (1, 1)
    pick -2
    push 0
    push 3
    push 5
    push 3
    push 0xFF00FF00
    native 18, 5            ; a green line along the bottom row
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
    native 30, 1            ; blue blended with white
    pick -2
    push 5
    push 3
    native 19, 7
    itos
    native 30, 1            ; green at the line's last point
    pick -2
    push 5
    push 0
    native 19, 7
    itos
    native 30, 1            ; white
    pick -2
    push 2
    native 19, 13           ; [ret, canvas, sprite, png]
    pick -1
    native 1, 11
    push 0
    gt
    itos
    native 30, 1            ; some bytes: true
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
    pick -2
    itos
    native 30, 1            ; width
    itos
    native 30, 1            ; height
    adjust -1
    pick -1
    push 2
    push 2
    native 19, 7
    itos
    native 30, 1
    pick -1
    push 0
    push 3
    native 19, 7
    itos
    native 30, 1
    pick -5
    push 3
    native 19, 13           ; GIF
    native 1, 11
    itos
    native 30, 1            ; no bytes
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
