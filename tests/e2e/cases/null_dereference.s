; Loading through a null address becomes vminternalthrow with code 1 and
; the detail "NULL pointer".
; expect-log: NullPointerException: NULL pointer
; expect-exit: 0
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
main:
    push 0
    load
    ret 0, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
