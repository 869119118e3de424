; Two log lines through the Debug group, then main returns.
; expect-log: hello
; expect-log: second line
; expect-exit: 0
.method "main" code=main frame=Main
.frame Main
.string hello "hello"
.string second "second line"
main:
    pushstr hello
    native 30, 1
    pushstr second
    native 30, 1
    ret 0, 1
