; A native call to a group that does not exist is a fatal machine error.
; expect-log: before
; expect-stderr: FATAL: UnknownException (CODE:11) Internal error: invalid group in native call: 36 at 10
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
.string before "before"
main:
    pushstr before
    native 30, 1
    native 36, 1
    ret 0, 1
