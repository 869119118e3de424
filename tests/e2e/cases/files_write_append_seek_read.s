; A FileWriter creates a file in a nested directory, is closed, reopened for
; appending under another spelling of the same name ("/" prefix, "//"),
; continues after the old bytes and overwrites in place after a seek; a
; FileReader then reads a slice back. Reading from the closed reader ends in
; IOException "File is not open".
; expect-log: 5
; expect-log: 11
; expect-log: 11
; expect-log: world
; expect-log: 11
; expect-log: -1
; expect-log: 0
; expect-log: IOException: File is not open
; expect-log: 7
; expect-file: notes/a.txt = Jello world
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string path "notes/a.txt"
.string samePath "/notes//a.txt"
.string first "hello"
.string more " world"
.string letter "J"
main:
    push 0
    box                 ; writer variable
    pick -1
    pushstr path
    push 0              ; create or truncate
    native 22, 1
    pick -1
    push 0              ; encoder receiver
    pushstr first
    native 28, 1
    native 21, 3
    pick -1
    native 21, 1        ; close
    pick -1
    pushstr samePath
    push 1              ; append
    native 22, 1
    pick -1
    native 22, 3        ; position after the old content
    native 8, -122
    native 30, 1
    pick -1
    push 0
    pushstr more
    native 28, 1
    native 21, 3
    pick -1
    push 0
    native 22, 2        ; seek to the start
    pick -1
    push 0
    pushstr letter
    native 28, 1
    native 21, 3        ; overwrites the first byte
    pick -1
    native 22, 4        ; size
    native 8, -122
    native 30, 1
    pick -1
    native 21, 1
    push 0
    box                 ; reader variable
    pick -1
    pushstr path
    native 24, 1
    pick -1
    native 24, 4        ; size
    native 8, -122
    native 30, 1
    pick -1
    push 6
    native 24, 2        ; seek
    push 0              ; encoder receiver
    pick -2
    push 5
    native 23, 3        ; five bytes
    native 28, 2
    native 30, 1
    pick -1
    native 24, 3        ; position
    native 8, -122
    native 30, 1
    pick -1
    native 23, 2        ; open
    native 8, -122
    native 30, 1
    pick -1
    native 23, 1        ; close
    pick -1
    native 23, 2
    native 8, -122
    native 30, 1
    pick -1
    push 0
    native 23, 3
    ret 2, 3
internalThrow:          ; code, message box, return address
    pick -2
    native 30, 1
    pick -3
    native 8, -122
    native 30, 1
    native 32, 1
