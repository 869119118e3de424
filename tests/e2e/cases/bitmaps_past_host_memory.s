; Bitmaps made and dropped within one call are not collected before it
; returns. Past the host memory that held objects may own (1 GiB: eight of
; the largest bitmaps), making one fails as when the heap is full: an
; unexpected exception, here with no handler to take it, instead of the
; system running out of memory and killing the process.
; modes: mcbrun player
; expect-log: 1
; expect-log: 2
; expect-log: 3
; expect-log: 4
; expect-log: 5
; expect-log: 6
; expect-log: 7
; expect-log: 8
; expect-stderr: FATAL: InvalidArgumentException (UNEXPECTED EXCEPTION at 30, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:                       ; [ret]
    push 0
    box                     ; [ret, box]
    push 0                  ; [ret, box, made]
more:
    pick -2
    push 5792
    push 5792
    push 0xFF000000
    native 19, 1            ; each new bitmap drops the one before
    push 1
    add
    dup
    itos
    native 30, 1
    jmp more
