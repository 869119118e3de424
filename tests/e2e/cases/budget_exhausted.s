; With an instruction budget an endless loop ends in a fatal line.
; run-args: --budget 1000
; expect-log: looping
; expect-stderr: FATAL: UnknownException (CODE:11) instruction budget exhausted at 8
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
.string looping "looping"
main:
    pushstr looping
    native 30, 1
forever:
    jmp forever
