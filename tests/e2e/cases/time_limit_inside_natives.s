; The time limit holds while natives run: ten smooth resizes of a large
; bitmap follow one another without a step at which the machine could look
; at the clock, each taking far longer than the limit. The run ends during
; the first of them with the time-limit line; "after" is never logged.
; run-args: --time-limit 50
; expect-stderr: time limit of 50 ms exceeded
; expect-exit: 124
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string after "after"
main:                       ; [ret]
    push 0
    box                     ; [ret, bitmap]
    pick -1
    push 4096
    push 4096
    push 0xFF336699
    native 19, 1
    pick -1
    push 4000
    push 4000
    native 19, 12
    pick -1
    push 4096
    push 4096
    native 19, 12
    pick -1
    push 4000
    push 4000
    native 19, 12
    pick -1
    push 4096
    push 4096
    native 19, 12
    pick -1
    push 4000
    push 4000
    native 19, 12
    pick -1
    push 4096
    push 4096
    native 19, 12
    pick -1
    push 4000
    push 4000
    native 19, 12
    pick -1
    push 4096
    push 4096
    native 19, 12
    pick -1
    push 4000
    push 4000
    native 19, 12
    pick -1
    push 4096
    push 4096
    native 19, 12
    pushstr after
    native 30, 1
    native 32, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
