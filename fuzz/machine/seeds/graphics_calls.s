; Every drawing native once on a small bitmap canvas, with arguments the
; fuzzer can turn into extreme ones: rectangles, lines, bitmaps plain, tiled,
; in part and transformed, text in the native font, then resizing, cutting,
; copying, encoding and decoding. Logs one pixel of the result.
.method "main" code=main frame=Main
.frame Main
.string text "Wg"
main:                       ; [ret]
    push 0
    box                     ; [ret, canvas] 16 x 16
    pick -1
    push 16
    push 16
    push 0xFF102030
    native Bitmap.create
    push 0
    box                     ; [ret, canvas, sprite] 4 x 4, translucent
    pick -1
    push 4
    push 4
    push 0x80FF0000
    native Bitmap.create
    pick -2
    push 1
    push 2
    push 5
    push 6
    push 0xFF00FF00
    native Graphics.fillRect
    pick -2
    push 0
    push 0
    push 15
    push 9
    push 0xFFFFFFFF
    native Graphics.drawLine
    pick -2
    pick -2
    push 3
    push 3
    push 200
    native Graphics.drawBitmap
    pick -2
    pick -2
    push 0
    push 8
    push 16
    push 8
    push 1
    push 2
    push 128
    native Graphics.drawTiled
    pick -2
    pick -2
    push 9
    push 1
    push 1
    push 1
    push 2
    push 2
    push 255
    native Graphics.drawBitmapRegion
    pick -2
    pick -2
    push 8
    push 8
    push -0x80000000        ; angle 0.5
    push 0
    push 0                  ; scale x 2
    push 2
    push 0                  ; scale y 1
    push 1
    push 255
    native Graphics.drawTransformed
    pick -2
    pushstr text
    push 0
    push 0
    push 0xFFFFFFFF
    native System.nativeFont
    native Graphics.drawText
    pick -1
    push 7
    push 5
    native Bitmap.resizeSmooth
    pick -1
    push 3
    push 2
    native Bitmap.resize
    push 0
    box                     ; [ret, canvas, sprite, part]
    pick -1
    pick -4
    push 2
    push 2
    push 8
    push 8
    native Bitmap.subBitmap
    push 0
    box                     ; [ret, canvas, sprite, part, copy]
    pick -1
    pick -3
    native Bitmap.copy
    pick -1
    push 2
    native Bitmap.encode    ; [.., png]
    push 0
    box                     ; [.., png, decoded]
    pick -1
    pick -3
    native Bitmap.decode
    pick -5
    push 0xFF000000
    native Graphics.fill
    pick -1
    push 1
    push 1
    native Bitmap.pixel
    itos
    native Debug.log
    adjust -6
    ret 0, 1
