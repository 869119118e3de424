; Position, Range and Rectangle share clearing, copying and comparing: each
; is cleared, gets a copy of another variable, and is compared with values
; that differ in each word in turn.
; expect-log: 0
; expect-log: 0
; expect-log: 7
; expect-log: 8
; expect-log: 1
; expect-log: 0
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 0
; expect-log: 7
; expect-log: 8
; expect-log: 1
; expect-log: 0
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 0
; expect-log: 0
; expect-log: 0
; expect-log: 7
; expect-log: 8
; expect-log: 9
; expect-log: 10
; expect-log: 1
; expect-log: 0
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 1
; expect-log: 0
; expect-log: 1
.method "main" code=main frame=Main
.frame Main
main:
    ; Position: clear
    push 3
    push -4
    slotaddr -2
    native 16, 1
    pick -2
    native 8, -122
    native 30, 1
    pick -1
    native 8, -122
    native 30, 1
    ; Position: copy into the cleared variable
    push 7
    push 8
    slotaddr -4
    slotaddr -3
    native 16, 2
    pick -4
    native 8, -122
    native 30, 1
    pick -3
    native 8, -122
    native 30, 1
    ; Position: equal and not equal, each word on its own
    push 7
    push 8
    push 7
    push 8
    native 16, 8
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 8
    native 16, 9
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 8
    push 8
    native 16, 8
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 8
    push 8
    native 16, 9
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 9
    native 16, 8
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 9
    native 16, 9
    native 8, -122
    native 30, 1
    adjust -4
    ; Range: clear
    push 3
    push -4
    slotaddr -2
    native 14, 1
    pick -2
    native 8, -122
    native 30, 1
    pick -1
    native 8, -122
    native 30, 1
    ; Range: copy into the cleared variable
    push 7
    push 8
    slotaddr -4
    slotaddr -3
    native 14, 2
    pick -4
    native 8, -122
    native 30, 1
    pick -3
    native 8, -122
    native 30, 1
    ; Range: equal and not equal, each word on its own
    push 7
    push 8
    push 7
    push 8
    native 14, 9
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 8
    native 14, 10
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 8
    push 8
    native 14, 9
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 8
    push 8
    native 14, 10
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 9
    native 14, 9
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 7
    push 9
    native 14, 10
    native 8, -122
    native 30, 1
    adjust -4
    ; Rectangle: clear
    push 3
    push -4
    push 5
    push 6
    slotaddr -4
    native 17, 1
    pick -4
    native 8, -122
    native 30, 1
    pick -3
    native 8, -122
    native 30, 1
    pick -2
    native 8, -122
    native 30, 1
    pick -1
    native 8, -122
    native 30, 1
    ; Rectangle: copy into the cleared variable
    push 7
    push 8
    push 9
    push 10
    slotaddr -8
    slotaddr -5
    native 17, 2
    pick -8
    native 8, -122
    native 30, 1
    pick -7
    native 8, -122
    native 30, 1
    pick -6
    native 8, -122
    native 30, 1
    pick -5
    native 8, -122
    native 30, 1
    ; Rectangle: equal and not equal, each word on its own
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 9
    push 10
    native 17, 20
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 9
    push 10
    native 17, 21
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 8
    push 8
    push 9
    push 10
    native 17, 20
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 8
    push 8
    push 9
    push 10
    native 17, 21
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 9
    push 9
    push 10
    native 17, 20
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 9
    push 9
    push 10
    native 17, 21
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 10
    push 10
    native 17, 20
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 10
    push 10
    native 17, 21
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 9
    push 11
    native 17, 20
    native 8, -122
    native 30, 1
    push 7
    push 8
    push 9
    push 10
    push 7
    push 8
    push 9
    push 11
    native 17, 21
    native 8, -122
    native 30, 1
    adjust -8
    ret 0, 1
