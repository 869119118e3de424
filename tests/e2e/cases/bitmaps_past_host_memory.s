; Every bitmap made stays reachable: its box stays on the stack. Past the
; host memory that held objects may own (1 GiB: eight of the largest
; bitmaps), making one fails as when the heap is full, after a collection
; that frees nothing: the out-of-memory error, here with no handler to take
; it, instead of the system running out of memory and killing the process.
; modes: mcbrun player
; expect-log: 1
; expect-log: 2
; expect-log: 3
; expect-log: 4
; expect-log: 5
; expect-log: 6
; expect-log: 7
; expect-log: 8
; expect-stderr: FATAL: InvalidArgumentException (UNEXPECTED EXCEPTION: out of memory: 1024 MiB of host memory held by native objects, at most 1024 MiB at 29, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:                       ; [ret]
    push 0                  ; [ret, made]
more:
    push 0
    box                     ; [ret, ..., made, box]
    dup
    push 5792
    push 5792
    push 0xFF000000
    native 19, 1            ; the box holds a new bitmap
    pick -2                 ; [ret, ..., made, box, made]
    push 1
    add
    dup
    itos
    native 30, 1
    jmp more
