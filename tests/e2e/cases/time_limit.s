; --time-limit ends a loop inside main with one line and status 124.
; run-args: --time-limit 100
; expect-log: looping
; expect-stderr: time limit of 100 ms exceeded
; expect-exit: 124
.method "main" code=main frame=Main
.frame Main
.string looping "looping"
main:
    pushstr looping
    native 30, 1
forever:
    jmp forever
