; A directory without index.mcb: the player names the resolved path.
; image-missing
; expect-stderr: Failed to open '@APPDIR@/index.mcb'
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
