; A truncated image is refused with one fatal line, naming the offset and
; the field that failed, and status 1.
; modes: mcbrun player
; image-truncate: 30
; expect-stderr: FATAL: UnknownException (CODE:11) Error while reading bytecode: image rejected at byte offset 30, header, width of frame slot count C: unexpected end of file
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
.string text "never logged"
main:
    pushstr text
    native 30, 1
    ret 0, 1
