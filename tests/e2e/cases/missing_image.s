; An image that does not exist is named by its resolved path.
; image-missing
; expect-stderr: Failed to open '@APPDIR@/absent.mcb'
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
