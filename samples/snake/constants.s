; Names for the numbers the game uses. `.equ NAME, VALUE` makes NAME stand
; for VALUE wherever a number may be written.

; The words of the game object (word 0 holds its type). The host hands this
; object to every entry point of the application, so it is the one place
; where the game keeps its state between calls.
.equ STATE, 1           ; TITLE, PLAYING or OVER
.equ PAUSED, 2          ; nonzero while the game is paused
.equ DIRECTION, 3       ; the way the last step went
.equ NEXT_DIRECTION, 4  ; the way the next step goes
.equ MOVING, 5          ; zero until the first turn of a game
.equ SCORE, 6
.equ BEST, 7            ; the best score, kept in BEST_FILE
.equ RANDOM, 8          ; the state of the game's own random generator
.equ FOOD, 9            ; the cell of the food, -1 for none
.equ HEAD, 10           ; where the head's cell is kept in BODY, a ring
.equ LENGTH, 11         ; how many cells of BODY the snake covers
.equ GROW, 12           ; steps in which the tail stays where it is
.equ TIMER, 13          ; the id of the step timer
.equ NEW_BEST, 14       ; nonzero when the last game beat the best score
; Words from here on hold references. The type of the game object lists
; them, so the collector keeps what they refer to.
.equ FONT, 15           ; the bitmap font of the text
.equ TITLE_FONT, 16     ; a larger one for headings
.equ FOOD_BITMAP, 17    ; bitmaps are drawn through the word that holds them
.equ HEAD_BITMAP, 18
.equ TILE_BITMAP, 19    ; the checked ground, drawn tiled
.equ BODY, 20           ; a Cells object: the cell of every part of the snake
.equ GRID, 21           ; a Cells object: 1 on every cell the snake covers
.equ START_SOUND, 22    ; sound players, each held by a one-word wrapper
.equ EAT_SOUND, 23
.equ OVER_SOUND, 24
.equ GAME_WORDS, 25

; What the game shows.
.equ TITLE, 0
.equ PLAYING, 1
.equ OVER, 2

; Directions, clockwise: the opposite of d is (d + 2) and 3.
.equ RIGHT, 0
.equ DOWN, 1
.equ LEFT, 2
.equ UP, 3

; The board: cells of CELL pixels below a header FIELD_TOP pixels high.
; A cell is numbered row * COLUMNS + column.
.equ SCREEN_WIDTH, 800
.equ COLUMNS, 40
.equ ROWS, 22
.equ CELLS, 880
.equ CELL, 20
.equ HALF_CELL, 10
.equ FIELD_TOP, 40
.equ FIELD_HEIGHT, 440
.equ START_CELL, 444    ; row 11, column 4: the tail of a new snake
.equ START_LENGTH, 4
.equ GROWTH, 2          ; parts a snake gains for each food

; Step times in milliseconds: each point makes the game a little faster.
.equ START_DELAY, 150
.equ SPEEDUP, 4
.equ MIN_DELAY, 70

; Key codes as the host translates them: printable characters keep their
; (upper-case) character code, a few keys have codes of their own.
.equ KEY_RETURN, 0x01000001
.equ KEY_LEFT, 0x01000003
.equ KEY_RIGHT, 0x01000004
.equ KEY_UP, 0x01000005
.equ KEY_DOWN, 0x01000006
.equ KEY_SPACE, 32
.equ KEY_A, 65
.equ KEY_D, 68
.equ KEY_N, 78
.equ KEY_P, 80
.equ KEY_S, 83
.equ KEY_W, 87

; Colours are 0xAARRGGBB.
.equ WHITE, 0xFFFFFFFF
.equ GOLD, 0xFFF5C542
.equ HEADER_COLOUR, 0xFF1E2A36
.equ GROUND_DARK, 0xFF16321F
.equ GROUND_LIGHT, 0xFF1B3B25
.equ BODY_COLOUR, 0xFF4CAF50
.equ BODY_STRIPES, 0x00204020 ; every other part: BODY_COLOUR xor this
.equ HEAD_COLOUR, 0xFF8BC34A
.equ BLACK, 0xFF000000
.equ APPLE_RED, 0xFFE53935
.equ APPLE_SHINE, 0xFFFF8A80
.equ LEAF_GREEN, 0xFF7CB342
.equ SHADE, 0xB0000000  ; a translucent black laid over the board
