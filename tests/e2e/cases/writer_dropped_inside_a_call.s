; A FileWriter dropped without being closed, while its bytes are still in
; its buffer, is destroyed by a collection inside the same call and leaves
; its file complete: a FileReader opened later in main reads all of it.
; 50 MB of garbage in a 16 MiB heap collects several times.
; run-args: --heap-mib 16
; expect-log: 11
; expect-log: hello world
; expect-file: dropped.txt = hello world
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string path "dropped.txt"
.string text "hello world"
main:                       ; [ret]
    push 0
    box                     ; [ret, writer variable]
    pick -1
    pushstr path
    push 0                  ; create or truncate
    native 22, 1
    pick -1
    push 0                  ; encoder receiver
    pushstr text
    native 28, 1
    native 21, 3            ; eleven bytes, buffered
    adjust -1               ; the writer is garbage now
    push 200000
churn:
    new 1, 64               ; 260 bytes, dropped at once
    adjust -1
    push 1
    sub
    dup
    jz churned
    jmp churn
churned:
    adjust -1
    push 0
    box                     ; [ret, reader variable]
    pick -1
    pushstr path
    native 24, 1
    pick -1
    native 24, 4            ; size
    native 8, -122
    native 30, 1            ; 11
    push 0                  ; encoder receiver
    pick -2
    push 11
    native 23, 3
    native 28, 2
    native 30, 1            ; hello world
    pick -1
    native 23, 1            ; close
    ret 1, 2
internalThrow:              ; [code, message box, ret]
    pick -2
    native 30, 1
    native 32, 1
