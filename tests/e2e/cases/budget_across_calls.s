; The budget counts over every entry-point call: each tick takes about 40
; steps, far below the budget, yet the ticks together use it up.
; run-args: --budget 1000 --time-limit 30000
; expect-stderr: FATAL: UnknownException (CODE:11) instruction budget exhausted...
; expect-exit: 1
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Listener
.frame Main
main:                       ; [ret]
    push 0
    new 1, 1
    dup
    settype Listener
    push 0
    native 33, 1            ; [ret, id]
    ret 1, 2

tick:                       ; [listener, ret]
    push 40
count:
    push 1
    sub
    dup
    jz done
    jmp count
done:
    ret 1, 3
