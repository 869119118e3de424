; Log lines go to standard error and, while a log file is set, to the file
; under the application directory ("//" collapses, a leading "/" stays inside).
; expect-log: one
; expect-log:
; expect-log: two
; expect-log: three
; expect-file: logs/app.log = LOG: one\nLOG: two\n
.method "main" code=main frame=Main
.frame Main
.string logName "/logs//app.log"
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
    native 32, 1
    ret 0, 1
