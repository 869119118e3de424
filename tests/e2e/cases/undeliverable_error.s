; An error that bytecode cannot receive (the image has no vminternalthrow)
; ends the run with the fixed text, the error it could not deliver and where
; it was raised.
; modes: mcbrun player
; expect-stderr: FATAL: InvalidArgumentException (DivisionByZeroException at 10, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    push 7
    push 0
    div
    ret 0, 1
