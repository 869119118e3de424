; Opens "written.txt" in main and writes one line to it, leaving the writer
; open in the application object; logs "main" once the line is written.
; The exit event logs "exit event", which the player never calls.
.method "main" code=main frame=Main
.method "<*application>.exit event" code=exitEvent frame=Main
.type Writer refs=[1]
.frame Main
.string fileName "written.txt"
.string line "the whole line\n"
.string mainText "main"
.string exitText "exit event"

main:                       ; [ret]
    new 1, 2                ; word 1 keeps the writer's variable
    dup
    settype Writer
    dup
    native 32, 5            ; [ret, app]
    pick -1
    fieldaddr 1             ; [ret, app, field]
    push 0
    box                     ; [ret, app, field, writer]
    pick -1
    pushstr fileName
    push 0                  ; create or truncate
    native 22, 1
    pick -1
    push 0                  ; encoder receiver
    pushstr line
    native 28, 1
    native 21, 3            ; [ret, app, field, writer]
    store                   ; [ret, app]
    pushstr mainText
    native 30, 1
    ret 1, 2

exitEvent:                  ; [app, ret]
    pushstr exitText
    native 30, 1
    ret 0, 2
