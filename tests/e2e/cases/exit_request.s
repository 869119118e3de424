; System function 2 hands the message to the host and asks to exit: main is
; left without running its remaining code, and the status is 0.
; expect-log: asking to exit
; expect-exit: 0
.method "main" code=main frame=Main
.frame Main
.string asking "asking to exit"
.string reason "the reason"
.string after "after the request"
main:
    pushstr asking
    native 30, 1
    pushstr reason
    native 32, 2
    pushstr after
    native 30, 1
    ret 0, 1
