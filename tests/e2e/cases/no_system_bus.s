; Without a reachable system bus the display status cannot be followed:
; the player stops before the window is shown or main runs.
; modes: player
; run-env: DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent/lumbra-bus
; expect-stderr: FATAL: Failed to connect to dbus
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
.string text "never logged"
main:
    pushstr text
    native 30, 1
    ret 0, 1
