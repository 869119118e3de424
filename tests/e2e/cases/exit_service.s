; System function 1 ends the process at once with status 0.
; expect-log: before exit
; expect-exit: 0
.method "main" code=main frame=Main
.frame Main
.string before "before exit"
.string after "after exit"
main:
    pushstr before
    native 30, 1
    native 32, 1
    pushstr after
    native 30, 1
    ret 0, 1
