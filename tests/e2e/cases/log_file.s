; The Debug group sets a log file: non-empty messages go to it as well,
; an empty file name stops file logging, standard error gets every line.
; expect-log: one
; expect-log:
; expect-log: two
; expect-log: three
; expect-file: logs/app.log = LOG: one\nLOG: two\n
.method "main" code=main frame=Main
.frame Main
.string logName "logs//app.log"
.string none ""
.string one "one"
.string two "two"
.string three "three"
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
    ret 0, 1
