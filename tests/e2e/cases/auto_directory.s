; "--auto" takes the application from /opt/<base name of argv[0]>.
; modes: player
; run-args: --auto
; run-argv0: /usr/games/lumbra-absent-game
; expect-stderr: Failed to open '/opt/lumbra-absent-game/index.mcb': No such file or directory
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    ret 0, 1
