; A thrown object that no handler catches goes to vmprintthrowableandexit.
; expect-log: caught by the last resort
; expect-exit: 0
.method "main" code=main frame=Main
.method "vmprintthrowableandexit<*throwable>" code=lastResort frame=Main
.type Problem
.frame Main
.string resort "caught by the last resort"
.string after "after the throw"
main:
    new 1, 2
    dup
    settype Problem
    throw
    pushstr after
    native 30, 1
    ret 0, 1
lastResort:
    pushstr resort
    native 30, 1
    native 32, 1
