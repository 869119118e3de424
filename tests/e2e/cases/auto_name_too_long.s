; One character more than the path buffer holds is refused.
; modes: player
; run-args: --auto
; run-argv0: /bin/{4092*a}
; expect-stderr: {4092*a}: VM basename too long
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
