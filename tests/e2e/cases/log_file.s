; The Debug group sets a log file: non-empty messages go to it as well,
; an empty file name stops file logging, standard error gets every line.
; The name is under the application directory: "//" collapses and a leading
; "/" stays inside.
; modes: mcbrun player
; expect-log: one
; expect-log:
; expect-log: two
; expect-log: three
; expect-log: four
; expect-file: logs/app.log = LOG: one\nLOG: two\n
; expect-file: logs/rooted.log = LOG: four\n
.method "main" code=main frame=Main
.frame Main
.string logName "logs//app.log"
.string rootedName "/logs//rooted.log"
.string none ""
.string one "one"
.string two "two"
.string three "three"
.string four "four"
main:
    pushstr logName
    native 30, 2
    pushstr one
    native 30, 1
    pushstr none
    native 30, 1
    pushstr two
    native 30, 1
    pushstr none
    native 30, 2
    pushstr three
    native 30, 1
    pushstr rootedName
    native 30, 2
    pushstr four
    native 30, 1
    native 32, 1
    ret 0, 1
