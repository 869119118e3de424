; Painting. The host calls "draw" with the screen's canvas whenever the
; window needs it, after every Screen.repaint among others; each call paints
; the whole 800 x 480 screen from the game's state.

.string titleText "SNAKE"
.string playHint "Enter, space or a tap: play"
.string turnHint "Arrow keys or W A S D turn, so does a tap beside the head"
.string pauseHint "P pauses and resumes, N takes one step while paused"
.string bestText "Best "
.string scoreText "Score "
.string readyHint "Turn to start: an arrow key or a tap above or below the head"
.string pausedTitle "PAUSED"
.string pausedHint "P: go on    N: one step"
.string overTitle "GAME OVER"
.string newBestText "A new best score!"
.string againHint "Enter, space or a tap: play again"

draw:                           ; [game, canvas, ret]
    pick -2
    pick -4
    fieldaddr TILE_BITMAP
    push 0
    push FIELD_TOP
    push SCREEN_WIDTH
    push FIELD_HEIGHT
    push 0
    push 0
    push 255
    native Graphics.drawTiled   ; [canvas, bitmap, x, y, width, height, offset x, offset y, alpha] -> []
    pick -3
    pick -3
    call drawHeader, Main
    pick -3
    fieldaddr STATE
    load
    jz draw.title               ; TITLE is 0
    pick -3
    pick -3
    call drawBoard, Main
    pick -3
    fieldaddr STATE
    load
    push OVER
    eq
    jz draw.playing
    pick -3
    pick -3
    call drawOver, Main
    ret 0, 3
draw.playing:
    pick -3
    pick -3
    call drawPlaying, Main
    ret 0, 3
draw.title:
    pick -3
    pick -3
    call drawTitle, Main
    ret 0, 3

; The header: the score on the left, the best score on the right.
drawHeader:                     ; [game, canvas, ret]
    pick -2
    push 0
    push 0
    push SCREEN_WIDTH
    push FIELD_TOP
    push HEADER_COLOUR
    native Graphics.fillRect
    pick -2
    pick -4
    call scoreLabel, Main
    push 16
    push 8
    push WHITE
    pick -8
    fieldaddr FONT
    native Graphics.drawText    ; [canvas, text, x, y, colour, font] -> []
    pick -2
    pushstr bestText
    pick -5
    fieldaddr BEST
    load
    call withNumber, Main
    push SCREEN_WIDTH - 140
    push 8
    push GOLD
    pick -8
    fieldaddr FONT
    native Graphics.drawText
    ret 0, 3

; The food, the body parts in alternating shades, and the head.
drawBoard:                      ; [game, canvas, ret]
    pick -3
    fieldaddr FOOD
    load                        ; [game, canvas, ret, food]
    pick -1
    push 0
    lt
    jz drawBoard.food
    jmp drawBoard.body
drawBoard.food:
    pick -3
    pick -5
    fieldaddr FOOD_BITMAP
    pick -3
    call cellX, Main
    pick -4
    call cellY, Main
    push 255                    ; opaque
    native Graphics.drawBitmap  ; [canvas, bitmap, x, y, alpha] -> []
drawBoard.body:
    adjust -1
    push 1                      ; [game, canvas, ret, part]: part 0 is the head
drawBoard.part:
    pick -1
    pick -5
    fieldaddr LENGTH
    load
    lt
    jz drawBoard.head
    pick -4
    pick -2
    call bodyPlace, Main
    load                        ; [game, canvas, ret, part, cell]
    pick -4
    pick -2
    call cellX, Main
    push 1
    add
    pick -3
    call cellY, Main
    push 1
    add
    pick -5
    call drawPart, Main
    adjust -1
    slotaddr -1
    inc.at
    jmp drawBoard.part
drawBoard.head:
    adjust -1
    pick -3
    call headCell, Main         ; [game, canvas, ret, head]
    pick -3
    pick -5
    fieldaddr HEAD_BITMAP
    pick -3
    call cellX, Main
    pick -4
    call cellY, Main
    push 255
    native Graphics.drawBitmap
    adjust -1
    ret 0, 3

drawPlaying:                    ; [game, canvas, ret]
    pick -3
    fieldaddr PAUSED
    load
    jz drawPlaying.running
    ; paused: a band across the top of the board, which stays in view
    pick -2
    push 0
    push FIELD_TOP
    push SCREEN_WIDTH
    push 110
    push SHADE
    native Graphics.fillRect
    pick -2
    pushstr pausedTitle
    push FIELD_TOP + 4
    push GOLD
    pick -7
    fieldaddr TITLE_FONT
    call centred, Main
    pick -2
    pushstr pausedHint
    push FIELD_TOP + 76
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    ret 0, 3
drawPlaying.running:
    pick -3
    fieldaddr MOVING
    load
    jz drawPlaying.ready
    ret 0, 3
drawPlaying.ready:
    pick -2
    pushstr readyHint
    push FIELD_TOP + 100
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    ret 0, 3

drawTitle:                      ; [game, canvas, ret]
    pick -2
    pushstr titleText
    push 90
    push GOLD
    pick -7
    fieldaddr TITLE_FONT
    call centred, Main
    ; a snake of five parts going for an apple
    push 0                      ; [game, canvas, ret, part]
drawTitle.part:
    pick -3
    push 310
    pick -3
    push CELL
    mul
    add                         ; x
    push 190
    pick -4
    call drawPart, Main
    slotaddr -1
    inc.at
    pick -1
    push 5
    lt
    jz drawTitle.head
    jmp drawTitle.part
drawTitle.head:
    adjust -1
    pick -2
    pick -4
    fieldaddr HEAD_BITMAP
    push 410
    push 189
    push 255
    native Graphics.drawBitmap
    pick -2
    pick -4
    fieldaddr FOOD_BITMAP
    push 470
    push 189
    push 255
    native Graphics.drawBitmap
    pick -2
    pushstr playHint
    push 250
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    pick -2
    pushstr turnHint
    push 290
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    pick -2
    pushstr pauseHint
    push 320
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    ret 0, 3

; The board stays in view under a translucent shade.
drawOver:                       ; [game, canvas, ret]
    pick -2
    push 0
    push FIELD_TOP
    push SCREEN_WIDTH
    push FIELD_HEIGHT
    push SHADE
    native Graphics.fillRect
    pick -2
    pushstr overTitle
    push 110
    push GOLD
    pick -7
    fieldaddr TITLE_FONT
    call centred, Main
    pick -2
    pick -4
    call scoreLabel, Main
    push 215
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    pick -3
    fieldaddr NEW_BEST
    load
    jz drawOver.again
    pick -2
    pushstr newBestText
    push 250
    push GOLD
    pick -7
    fieldaddr FONT
    call centred, Main
drawOver.again:
    pick -2
    pushstr againHint
    push 290
    push WHITE
    pick -7
    fieldaddr FONT
    call centred, Main
    ret 0, 3

scoreLabel:                     ; [game, ret] -> ["Score N"]
    slotaddr -2
    pushstr scoreText
    pick -4
    fieldaddr SCORE
    load
    call withNumber, Main
    store
    ret 0, 1

; One part of the snake's body; every other part is a little lighter.
drawPart:                       ; [canvas, x, y, part, ret]
    pick -5
    pick -5
    pick -5
    push CELL - 2
    push CELL - 2
    pick -7
    push 1
    and
    push BODY_STRIPES
    mul
    push BODY_COLOUR
    xor                         ; BODY_COLOUR, or BODY_COLOUR xor BODY_STRIPES for odd parts
    native Graphics.fillRect
    ret 0, 5

; Text centred across the screen.
centred:                        ; [canvas, text, y, colour, font, ret]
    pick -6
    pick -6
    push SCREEN_WIDTH
    pick -5
    pick -3
    native Font.width           ; [font, text] -> [width in pixels]
    sub
    push 1
    shr                         ; x = (SCREEN_WIDTH - width) / 2
    pick -7
    pick -7
    pick -7
    native Graphics.drawText
    ret 0, 6

; The top left corner of a cell on the screen.
cellX:                          ; [cell, ret] -> [x]
    slotaddr -2
    pick -3
    push COLUMNS
    rem
    push CELL
    mul
    store
    ret 0, 1

cellY:                          ; [cell, ret] -> [y]
    slotaddr -2
    pick -3
    push COLUMNS
    div
    push CELL
    mul
    push FIELD_TOP
    add
    store
    ret 0, 1
