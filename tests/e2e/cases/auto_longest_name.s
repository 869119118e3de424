; The longest accepted directory: "/opt/" and 4091 characters make 4096.
; modes: player
; run-args: --auto
; run-argv0: {4091*a}
; expect-stderr: Failed to open '/opt/{4091*a}/index.mcb': File name too long
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
