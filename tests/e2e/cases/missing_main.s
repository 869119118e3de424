; An image without main stops start-up with one fatal line.
; modes: mcbrun player
; expect-stderr: FATAL: UnknownException (CODE:11) 'main' not found
; expect-exit: 1
.method "start" code=start frame=Main
.frame Main
start:
    ret 0, 1
