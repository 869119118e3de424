; A truncated image is refused with one fatal line and status 1.
; modes: mcbrun player
; image-truncate: 30
; expect-stderr: FATAL: UnknownException (CODE:11) Error while reading bytecode
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
.string text "never logged"
main:
    pushstr text
    native 30, 1
    ret 0, 1
