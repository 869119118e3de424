; The host's events: keys, pointer presses, timer ticks and changes of
; activity. Each handler returns at once; drawing happens when the host
; calls "draw" after a Screen.repaint.

.string pausedText "snake: paused"
.string resumedText "snake: resumed"
.string foregroundText "snake: foreground"
.string backgroundText "snake: background"

; Enter or space starts a game from the title or game-over screen. In a
; game: arrows or W A S D turn, P pauses and resumes, N takes one step
; while paused (the way to follow the game move by move).
keyPressed:                     ; [game, event, ret]
    pick -2
    native KeyEvent.keyCode     ; [event] -> [key code]
    pick -4
    fieldaddr STATE
    load
    push PLAYING
    eq
    jz keyPressed.waiting
    pick -4
    pick -2
    call playKey, Main
    ret 1, 4
keyPressed.waiting:             ; [game, event, ret, code]
    pick -1
    push KEY_RETURN
    eq
    pick -2
    push KEY_SPACE
    eq
    lor
    jz keyPressed.done
    pick -4
    call newGame, Main
keyPressed.done:
    ret 1, 4

playKey:                        ; [game, code, ret]
    pick -2
    call keyDirection, Main     ; [game, code, ret, direction]
    pick -1
    push 0
    lt
    jz playKey.turn
    adjust -1
    pick -2
    push KEY_P
    eq
    jz playKey.notPause
    pick -3
    pick -4
    fieldaddr PAUSED
    load
    not                         ; -1 when it was 0
    call setPaused, Main
    ret 0, 3
playKey.notPause:
    pick -2
    push KEY_N
    eq
    pick -4
    fieldaddr PAUSED
    load
    land
    jz playKey.done
    pick -3
    call step, Main
playKey.done:
    ret 0, 3
playKey.turn:                   ; [game, code, ret, direction]
    pick -4
    pick -2
    call turn, Main
    ret 1, 4

; The direction of an arrow key or of W A S D, or -1.
keyDirection:                   ; [code, ret] -> [direction or -1]
    pick -2
    push KEY_RIGHT
    eq
    pick -3
    push KEY_D
    eq
    lor
    jz keyDirection.notRight
    push RIGHT
    jmp keyDirection.found
keyDirection.notRight:
    pick -2
    push KEY_DOWN
    eq
    pick -3
    push KEY_S
    eq
    lor
    jz keyDirection.notDown
    push DOWN
    jmp keyDirection.found
keyDirection.notDown:
    pick -2
    push KEY_LEFT
    eq
    pick -3
    push KEY_A
    eq
    lor
    jz keyDirection.notLeft
    push LEFT
    jmp keyDirection.found
keyDirection.notLeft:
    pick -2
    push KEY_UP
    eq
    pick -3
    push KEY_W
    eq
    lor
    jz keyDirection.none
    push UP
    jmp keyDirection.found
keyDirection.none:
    push -1
keyDirection.found:             ; [code, ret, direction]
    slotaddr -3
    pick -2
    store
    ret 1, 2

setPaused:                      ; [game, paused, ret]
    pick -3
    fieldaddr PAUSED
    pick -3
    store
    pick -2
    jz setPaused.resumed
    pushstr pausedText
    jmp setPaused.log
setPaused.resumed:
    pushstr resumedText
setPaused.log:
    native Debug.log
    native Screen.repaint
    ret 0, 3

; A press starts a game from the title or game-over screen. In a game it
; turns the snake towards the press: up or down when it goes sideways,
; left or right when it goes up or down.
pointer:                        ; [game, kind, x, y, modifiers, ret]
    pick -5
    jz pointer.press            ; kind 0 is a press, 1 a release, 6 a drag
    ret 0, 6
pointer.press:
    pick -6
    fieldaddr STATE
    load
    push PLAYING
    eq
    jz pointer.start
    pick -6
    call headCell, Main         ; [game, kind, x, y, modifiers, ret, head]
    pick -7
    fieldaddr DIRECTION
    load
    push 1
    and
    jz pointer.sideways
    push LEFT                   ; LEFT, or RIGHT (LEFT - 2) right of the head
    pick -6
    pick -3
    push COLUMNS
    rem
    push CELL
    mul
    push HALF_CELL
    add                         ; [.., head, LEFT, x, the head's centre x]
    gt
    push 2
    mul
    add
    jmp pointer.turn
pointer.sideways:
    push UP                     ; UP, or DOWN (UP - 2) below the head
    pick -5
    pick -3
    push COLUMNS
    div
    push CELL
    mul
    push FIELD_TOP + HALF_CELL
    add                         ; [.., head, UP, y, the head's centre y]
    gt
    push 2
    mul
    add
pointer.turn:                   ; [game, kind, x, y, modifiers, ret, head, direction]
    pick -8
    pick -2
    call turn, Main
    ret 2, 8
pointer.start:
    pick -6
    call newGame, Main
    ret 0, 6

; Whether a game is on and not paused.
running:                        ; [game, ret] -> [true or false]
    slotaddr -2
    pick -3
    fieldaddr STATE
    load
    push PLAYING
    eq
    pick -4
    fieldaddr PAUSED
    load
    not
    land
    store
    ret 0, 1

; Every tick of the step timer moves a running snake one cell.
tick:                           ; [game, ret]
    pick -2
    call running, Main
    pick -3
    fieldaddr MOVING
    load
    land
    jz tick.idle
    pick -2
    call step, Main
tick.idle:
    ret 0, 2

; A game in the background pauses; it goes on when the player presses P.
background:                     ; [game, ret]
    pushstr backgroundText
    native Debug.log
    pick -2
    call running, Main
    jz background.done
    pick -2
    push 1
    call setPaused, Main
background.done:
    ret 0, 2

foreground:                     ; [game, ret]
    pushstr foregroundText
    native Debug.log
    ret 0, 2
