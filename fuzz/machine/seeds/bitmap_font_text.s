; A bitmap font cut from a glyph strip the program draws itself (an 8 x 5
; strip: ascent 3, ' ' three empty columns, '!' a 3 x 4 block with a
; half-covered pixel, markers in the bottom row), then text in it drawn
; whole, as a range and at half opacity, measured and fitted. Logs the width.
.method "main" code=main frame=Main
.frame Main
.string text "! !x!"
main:                       ; [ret]
    push 0
    box                     ; [ret, strip]
    pick -1
    push 8
    push 5
    push 0xFF000000
    native Bitmap.create
    pick -1
    push 0
    push 0
    push 1
    push 3
    push 0xFFFFFFFF
    native Graphics.fillRect
    pick -1
    push 4
    push 0
    push 3
    push 4
    push 0xFFFFFFFF
    native Graphics.fillRect
    pick -1
    push 5
    push 1
    push 0xFF808080
    native Bitmap.setPixel
    pick -1
    push 4
    push 4
    push 0xFFFFFFFF
    native Bitmap.setPixel
    pick -1
    push 7
    push 4
    push 0xFFFFFFFF
    native Bitmap.setPixel
    pick -1
    push 2
    native Bitmap.encode
    native System.decodeFont ; [ret, strip, font]
    push 0
    box                     ; [ret, strip, font, canvas]
    pick -1
    push 24
    push 8
    push 0xFFFFFFFF
    native Bitmap.create
    pick -1
    pushstr text
    push 1
    push 1
    push 0xFFFF0000
    pick -7
    native Graphics.drawText
    pick -1
    pushstr text
    push 1
    push 3
    push 12
    push 2
    push 0x80FF0000
    pick -9
    native Graphics.drawTextRange
    pick -2
    pushstr text
    native Font.width
    itos
    native Debug.log
    pick -2
    pushstr text
    push 5
    native Font.fitCount
    itos
    native Debug.log
    adjust -3
    ret 0, 1
