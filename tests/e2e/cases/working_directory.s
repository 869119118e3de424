; Without an application argument the working directory holds the
; application, whose main runs and ends the process (status 0).
; modes: player
; run-args: --window
; expect-log: started in the working directory
.method "main" code=main frame=Main
.frame Main
.string text "started in the working directory"
main:
    pushstr text
    native 30, 1
    native 32, 1
    ret 0, 1
