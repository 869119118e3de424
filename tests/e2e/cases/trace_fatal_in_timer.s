; The trace names each entry point the player calls and, when a tick ends
; in a fatal error, the call and position it stopped at; the memory report
; follows at the end. The fatal error ends the run with status 1 although
; a screenshot was asked for later.
; modes: player
; run-args: --trace --screenshot-after 60000 trace_fatal_in_timer.png
; expect-stderr: TRACE: call main
; expect-log: main
; expect-stderr: TRACE: call <systemtimerlistener>.systemtimerevent
; expect-log: tick
; expect-stderr: FATAL: UnknownException (CODE:11) Internal error: invalid group in native call: 36 at 52
; expect-stderr: TRACE: fatal in <systemtimerlistener>.systemtimerevent at 52: UnknownException (CODE:11)...
; expect-stderr: TRACE: memory headers ...
; expect-stderr: TRACE: memory stringContents=...
; expect-stderr: TRACE: memory nOfEntries=...
; expect-exit: 1
.method "main" code=main frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.type Listener
.frame Main
.string mainText "main"
.string tickText "tick"
main:                       ; [ret]
    pushstr mainText
    native 30, 1
    push 0
    new 1, 1
    dup
    settype Listener
    push 10
    native 33, 1            ; [ret, id]
    ret 1, 2

tick:                       ; [listener, ret]
    pushstr tickText
    native 30, 1
    native 36, 1
    ret 1, 3
