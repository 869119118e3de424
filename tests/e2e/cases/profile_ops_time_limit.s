; A profiled run that waits for its timer when the time limit passes still
; writes its profile after the time-limit line: main's eight instructions.
; run-args: --profile-ops --profile-top 1 --time-limit 300
; expect-stderr: time limit of 300 ms exceeded
; expect-stderr: profile: 8 instructions run; not counted for want of room: 0 singles, 0 pairs, 0 triples
; expect-stderr: profile: single 2 25.00% push
; expect-stderr: profile: pair 1 12.50% pick | push
; expect-stderr: profile: triple 1 12.50% pick | push | native 33 1 Timer.add
; expect-exit: 124
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Listener
.frame Main
main:                       ; [ret]
    new 1, 1
    dup
    settype Listener        ; [ret, L]
    push 0
    pick -2
    push 1000000            ; a tick long after the limit
    native 33, 1            ; [ret, L, id]
    ret 2, 3
tick:                       ; [L, ret]
    ret 0, 2
