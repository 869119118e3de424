; Start-up: "main" makes the game object and everything it draws and plays
; with, registers it with the host and starts the step timer.

.string fontFile "font.png"
.string titleFontFile "title.png"
.string startSoundFile "start.raw"
.string eatSoundFile "eat.raw"
.string overSoundFile "over.raw"
.string bestFile "best.txt"
.string seedFile "seed.txt"
.string readyText "snake: ready, best "

main:                           ; [ret]
    new 1, GAME_WORDS           ; [ret, game]: every word starts at 0
    dup
    settype Game
    dup
    native System.setApplication ; [game] -> []: the host's events now reach it
    pick -1
    call newBoard, Main
    pick -1
    call loadFonts, Main
    pick -1
    call makeBitmaps, Main
    pick -1
    call loadSounds, Main
    ; The best score so far, and where the random places of the food start:
    ; from "seed.txt" when there is one, else from the clock.
    pick -1
    fieldaddr BEST
    pushstr bestFile
    call readNumber, Main
    pick -1
    fieldaddr RANDOM
    native System.currentTime   ; [] -> [milliseconds]
    store
    pick -1
    fieldaddr RANDOM
    pushstr seedFile
    call readNumber, Main
    ; One timer drives the game; each tick calls "tick" with the game.
    push 0                      ; Timer.add leaves the id in this slot
    pick -2                     ; the listener
    push START_DELAY
    native Timer.add            ; [slot, listener, delay] -> [id]
    pick -2
    fieldaddr TIMER
    pick -2
    store                       ; [ret, game, id]
    pushstr readyText
    pick -3
    fieldaddr BEST
    load
    call logNumber, Main        ; "snake: ready, best N"
    ret 2, 3

; The body ring and the grid of covered cells: one word per cell after the
; type word.
newBoard:                       ; [game, ret]
    pick -2
    fieldaddr BODY
    new 1, CELLS + 1
    dup
    settype Cells
    store
    pick -2
    fieldaddr GRID
    new 1, CELLS + 1
    dup
    settype Cells
    store
    ret 0, 2

; Bitmap fonts are glyph strips that the build renders (tools/glyphstrip).
loadFonts:                      ; [game, ret]
    pick -2
    fieldaddr FONT
    pushstr fontFile
    native System.loadFont      ; [name] -> [reference to the font]
    load
    store
    pick -2
    fieldaddr TITLE_FONT
    pushstr titleFontFile
    native System.loadFont
    load
    store
    ret 0, 2

; The food, the head and a tile of the ground, drawn into new bitmaps with
; the same natives that draw on the screen.
makeBitmaps:                    ; [game, ret]
    pick -2
    fieldaddr FOOD_BITMAP       ; Bitmap.create stores the bitmap here
    push CELL
    push CELL
    push 0                      ; transparent
    native Bitmap.create        ; [where, width, height, colour] -> []
    pick -2
    fieldaddr FOOD_BITMAP       ; ... and draws into the bitmap held here
    push 4
    push 6
    push 12
    push 12
    push APPLE_RED
    native Graphics.fillRect    ; [canvas, x, y, width, height, colour] -> []
    pick -2
    fieldaddr FOOD_BITMAP
    push 6
    push 4
    push 8
    push 16
    push APPLE_RED
    native Graphics.fillRect
    pick -2
    fieldaddr FOOD_BITMAP
    push 7
    push 7
    push 3
    push 3
    push APPLE_SHINE
    native Graphics.fillRect
    pick -2
    fieldaddr FOOD_BITMAP
    push 10
    push 0
    push 3
    push 5
    push LEAF_GREEN
    native Graphics.fillRect

    pick -2
    fieldaddr HEAD_BITMAP
    push CELL
    push CELL
    push 0
    native Bitmap.create
    pick -2
    fieldaddr HEAD_BITMAP
    push 1
    push 1
    push CELL - 2
    push CELL - 2
    push HEAD_COLOUR
    native Graphics.fillRect
    pick -2
    fieldaddr HEAD_BITMAP
    push 5
    push 5
    push 3
    push 3
    push BLACK
    native Graphics.fillRect    ; the eyes
    pick -2
    fieldaddr HEAD_BITMAP
    push 12
    push 5
    push 3
    push 3
    push BLACK
    native Graphics.fillRect

    pick -2
    fieldaddr TILE_BITMAP
    push CELL + CELL
    push CELL + CELL
    push GROUND_DARK
    native Bitmap.create
    pick -2
    fieldaddr TILE_BITMAP
    push 0
    push 0
    push CELL
    push CELL
    push GROUND_LIGHT
    native Graphics.fillRect
    pick -2
    fieldaddr TILE_BITMAP
    push CELL
    push CELL
    push CELL
    push CELL
    push GROUND_LIGHT
    native Graphics.fillRect
    ret 0, 2

loadSounds:                     ; [game, ret]
    pick -2
    fieldaddr START_SOUND
    pushstr startSoundFile
    call loadSound, Main
    pick -2
    fieldaddr EAT_SOUND
    pushstr eatSoundFile
    call loadSound, Main
    pick -2
    fieldaddr OVER_SOUND
    pushstr overSoundFile
    call loadSound, Main
    ret 0, 2

; A text followed by a number.
withNumber:                     ; [text, number, ret] -> [text]
    slotaddr -3
    pick -4
    pick -4
    itos                        ; the number as a decimal string
    native String.concat        ; [a, b] -> [a followed by b]
    store
    ret 0, 2

logNumber:                      ; [text, number, ret]
    pick -3
    pick -3
    call withNumber, Main
    native Debug.log            ; [text] -> []: "LOG: text" on standard error
    ret 0, 3

logJoined:                      ; [text, more text, ret]
    pick -3
    pick -3
    native String.concat
    native Debug.log
    ret 0, 3
