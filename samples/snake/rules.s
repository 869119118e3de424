; The rules: a new game, one step of the snake, turns, food, the end of a
; game, and the random generator that places the food.

.string newGameText "snake: new game"
.string ateText "snake: ate, score "
.string overText "snake: game over, score "
.string startSoundText "snake: sound start"
.string eatSoundText "snake: sound eat"
.string overSoundText "snake: sound over"

; The address of word `index` of a Cells object (the words after its type).
element:                        ; [cells, index, ret] -> [address]
    slotaddr -3                 ; the result goes where `cells` was
    pick -4
    fieldaddr 1
    pick -4
    push 2
    shl                         ; four bytes a word
    add
    store
    ret 0, 2

; A snake of START_LENGTH parts on the middle row, heading right and
; waiting for the first turn; the food; the start sound.
newGame:                        ; [game, ret]
    pick -2
    fieldaddr GRID
    load
    fieldaddr 1
    zero.w CELLS                ; no cell covered
    pick -2
    fieldaddr HEAD
    push -1                     ; the first part goes to place 0 of the ring
    store
    pick -2
    fieldaddr LENGTH
    push 0
    store
    push START_CELL             ; [game, ret, cell]: from the tail to the head
newGame.part:
    pick -3
    pick -2
    call addHead, Main
    slotaddr -1
    inc.at                      ; the cell to the right
    pick -1
    push START_CELL + START_LENGTH
    lt
    jz newGame.laid
    jmp newGame.part
newGame.laid:
    adjust -1                   ; [game, ret]
    pick -2
    fieldaddr STATE
    push PLAYING
    store
    pick -2
    fieldaddr DIRECTION
    push RIGHT
    store
    pick -2
    fieldaddr NEXT_DIRECTION
    push RIGHT
    store
    pick -2
    fieldaddr PAUSED
    zero 1
    pick -2
    fieldaddr MOVING
    zero 1
    pick -2
    fieldaddr SCORE
    zero 1
    pick -2
    fieldaddr GROW
    zero 1
    pick -2
    fieldaddr NEW_BEST
    zero 1
    pick -2
    call placeFood, Main
    pick -2
    call setSpeed, Main
    pushstr newGameText
    native Debug.log
    pick -2
    fieldaddr START_SOUND
    load
    pushstr startSoundText
    call playSound, Main
    native Screen.repaint       ; [] -> []: the host calls "draw" soon
    ret 0, 2

; The head moves one cell. Off the board or onto the snake ends the game;
; onto the food scores.
step:                           ; [game, ret]
    pick -2
    fieldaddr DIRECTION
    pick -3
    fieldaddr NEXT_DIRECTION
    load
    store
    pick -2
    call headCell, Main
    pick -3
    fieldaddr DIRECTION
    load
    call neighbour, Main        ; [game, ret, cell]
    pick -1
    push 0
    lt
    jz step.onBoard
    adjust -1
    pick -2
    call endGame, Main
    ret 0, 2
step.onBoard:
    ; Unless the snake grows, the tail leaves its cell first: the head may
    ; take the cell the tail leaves.
    pick -3
    fieldaddr GROW
    load
    jz step.tail
    pick -3
    fieldaddr GROW
    dec.at
    jmp step.tailDone
step.tail:
    pick -3
    call removeTail, Main
step.tailDone:
    pick -3
    fieldaddr GRID
    load
    pick -2
    call element, Main
    load
    jz step.free
    adjust -1                   ; the snake bit itself
    pick -2
    call endGame, Main
    ret 0, 2
step.free:
    pick -3
    pick -2
    call addHead, Main          ; [game, ret, cell]
    pick -3
    fieldaddr FOOD
    load
    eq
    jz step.done
    pick -2
    call eat, Main
step.done:
    native Screen.repaint
    ret 0, 2

; The snake's new head covers `cell`.
addHead:                        ; [game, cell, ret]
    pick -3
    fieldaddr HEAD
    dup
    load
    push 1
    add
    push CELLS
    rem
    store                       ; HEAD := (HEAD + 1) mod CELLS
    pick -3
    push 0
    call bodyPlace, Main
    pick -3
    store                       ; BODY[HEAD] := cell
    pick -3
    fieldaddr GRID
    load
    pick -3
    call element, Main
    push 1
    store                       ; GRID[cell] := 1
    pick -3
    fieldaddr LENGTH
    inc.at
    ret 0, 3

; The tail's cell is free again.
removeTail:                     ; [game, ret]
    pick -2
    fieldaddr GRID
    load
    pick -3
    pick -4
    fieldaddr LENGTH
    load
    push 1
    sub
    call bodyPlace, Main
    load                        ; [game, ret, grid, the tail's cell]
    call element, Main
    zero 1
    pick -2
    fieldaddr LENGTH
    dec.at
    ret 0, 2

headCell:                       ; [game, ret] -> [the head's cell]
    slotaddr -2
    pick -3
    push 0
    call bodyPlace, Main
    load
    store
    ret 0, 1

; Where BODY keeps the cell of the part `back` places behind the head
; (0: the head itself). BODY is a ring: the parts end where they started.
bodyPlace:                      ; [game, back, ret] -> [address]
    slotaddr -3
    pick -4
    fieldaddr BODY
    load
    pick -5
    fieldaddr HEAD
    load
    pick -5
    sub
    push CELLS
    add
    push CELLS
    rem
    call element, Main
    store
    ret 0, 2

; The next cell from `cell` in `direction`, or -1 past the edge.
neighbour:                      ; [cell, direction, ret] -> [cell or -1]
    pick -3
    push COLUMNS
    rem                         ; [cell, direction, ret, column]
    pick -3
    push LEFT
    eq
    pick -4
    push RIGHT
    eq
    sub                         ; 1 to the right, -1 to the left (true is -1)
    add
    pick -4
    push COLUMNS
    div                         ; [.., column, row]
    pick -4
    push UP
    eq
    pick -5
    push DOWN
    eq
    sub
    add
    pick -2
    push 0
    lt
    pick -3
    push COLUMNS
    ge
    lor
    pick -2
    push 0
    lt
    lor
    pick -2
    push ROWS
    ge
    lor                         ; [cell, direction, ret, column, row, outside]
    jz neighbour.inside
    slotaddr -5
    push -1
    store
    ret 2, 4
neighbour.inside:
    push COLUMNS
    mul
    add
    slotaddr -4
    pick -2
    store
    ret 1, 3

; A turn to `direction` takes effect at the next step and sets a waiting
; snake going; a turn back onto its own neck is ignored.
turn:                           ; [game, direction, ret]
    pick -2
    push 2
    add
    push 3
    and                         ; the opposite direction
    pick -4
    fieldaddr DIRECTION
    load
    eq
    jz turn.allowed
    ret 0, 3
turn.allowed:
    pick -3
    fieldaddr NEXT_DIRECTION
    pick -3
    store
    pick -3
    fieldaddr MOVING
    push 1
    store
    ret 0, 3

eat:                            ; [game, ret]
    pick -2
    fieldaddr SCORE
    inc.at
    pick -2
    fieldaddr GROW
    dup
    load
    push GROWTH
    add
    store
    pushstr ateText
    pick -3
    fieldaddr SCORE
    load
    call logNumber, Main
    pick -2
    fieldaddr EAT_SOUND
    load
    pushstr eatSoundText
    call playSound, Main
    pick -2
    call placeFood, Main
    pick -2
    call setSpeed, Main
    ret 0, 2

; The step timer's period shrinks with the score, down to MIN_DELAY.
setSpeed:                       ; [game, ret]
    push 0                      ; Timer.setDelay takes a slot below its arguments
    pick -3
    fieldaddr TIMER
    load
    push START_DELAY
    pick -5
    fieldaddr SCORE
    load
    push SPEEDUP
    mul
    sub
    push MIN_DELAY
    native Math.maxInt          ; [a, b] -> [the larger]
    native Timer.setDelay       ; [slot, id, milliseconds] -> []
    ret 0, 2

; The food goes to a random free cell: the first free one from a random
; start. A full board leaves no food.
placeFood:                      ; [game, ret]
    pick -2
    call random, Main
    push CELLS
    mul
    push 15
    shr                         ; [game, ret, cell]: random * CELLS / 32768
    push CELLS                  ; [game, ret, cell, cells left to try]
placeFood.probe:
    pick -4
    fieldaddr GRID
    load
    pick -3
    call element, Main
    load
    jz placeFood.found
    slotaddr -2
    pick -3
    push 1
    add
    push CELLS
    rem
    store                       ; cell := (cell + 1) mod CELLS
    slotaddr -1
    dec.at
    pick -1
    jz placeFood.full
    jmp placeFood.probe
placeFood.full:
    slotaddr -2
    push -1
    store
placeFood.found:
    pick -4
    fieldaddr FOOD
    pick -3
    store
    ret 2, 4

; The game's own generator: the machine's random natives start from the
; clock and cannot be seeded, and a test needs the same food every time.
random:                         ; [game, ret] -> [0 to 32767]
    pick -2
    fieldaddr RANDOM
    dup
    load
    push 1103515245
    mul
    push 12345
    add
    store                       ; state := state * 1103515245 + 12345
    slotaddr -2
    pick -3
    fieldaddr RANDOM
    load
    push 16
    shr
    push 0x7FFF
    and
    store                       ; its bits 16 to 30
    ret 0, 1

; The end of a game; a better score than ever is saved at once.
endGame:                        ; [game, ret]
    pick -2
    fieldaddr STATE
    push OVER
    store
    pick -2
    fieldaddr SCORE
    load
    pick -3
    fieldaddr BEST
    load
    gt
    jz endGame.told
    pick -2
    fieldaddr BEST
    pick -3
    fieldaddr SCORE
    load
    store
    pick -2
    fieldaddr NEW_BEST
    push 1
    store
    pick -2
    fieldaddr BEST
    load
    pushstr bestFile
    call writeNumber, Main
endGame.told:
    pushstr overText
    pick -3
    fieldaddr SCORE
    load
    call logNumber, Main
    pick -2
    fieldaddr OVER_SOUND
    load
    pushstr overSoundText
    call playSound, Main
    native Screen.repaint
    ret 0, 2
