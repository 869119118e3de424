; An image that can draw runs under the headless runner: text measured in
; the native font has a width.
; expect-log: width positive -1
.method "main" code=main frame=Main
.frame Main
.string widthText "width positive "
.string text "Measured"
main:                       ; [ret]
    pushstr widthText
    native 32, 10           ; [ret, prefix, native font box]
    pushstr text
    native 20, 4            ; [ret, prefix, width]
    push 0
    gt                      ; -1: true
    itos
    native 8, 48
    native 30, 1
    ret 0, 1
