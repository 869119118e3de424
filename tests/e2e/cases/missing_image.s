; An image that does not exist is named by its resolved path; the player,
; which always reads index.mcb, is started in a directory without one.
; modes: mcbrun player
; image-missing
; mcbrun: expect-stderr: Failed to open '@APPDIR@/absent.mcb': No such file or directory
; player: expect-stderr: Failed to open '@APPDIR@/index.mcb': No such file or directory
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
