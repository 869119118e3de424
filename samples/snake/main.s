; Snake, the bundled sample game: steer a snake to the food, grow, and keep
; off the walls and your own tail.
;
; How an application talks to the player, as this game does it:
;
; - Entry points. The player never jumps to an address of the program: it
;   calls methods by the signatures that `.method` exports. "main" runs once
;   at start-up; it registers the application object (System.setApplication),
;   after which the player calls the `<*application>` methods below on every
;   repaint, key, pointer press and change of activity, and the timer method
;   on every tick of a timer. A `*` after `<` means that the argument arrives
;   as a reference to the object.
; - The stack. Every call passes its arguments on one stack of 32-bit words;
;   `call` pushes the return address on top, so a method with the arguments
;   a and b sees [a, b, ret] (written bottom to top). `pick -k` copies the
;   k-th word from the top (-1 is the top itself), `slotaddr -k` pushes that
;   word's address, and `ret a, b` returns through the word a places below
;   the top, removing b words. Functions of this game take their arguments
;   away as natives do, and leave a result in the slot of their first one.
; - Natives. `native Group.name` calls the host's library; the comment
;   beside a call says what it takes and leaves (docs/natives.md lists every
;   one with its stack effect). Objects reach natives through a reference
;   to the word that holds them: `fieldaddr FONT` of the game is how the
;   font is passed, and Bitmap.create stores the new bitmap into the word
;   whose address it is given. Comparisons give -1 for true and 0 for false.
; - Errors. A native that fails (a missing file, a number that does not
;   parse) makes the machine call "vminternalthrow"; this game turns the
;   error into an object and throws it to the `try` that guards the call.
; - Devices. `ext 28, N` reaches the audio extension: it plays raw sound
;   data (signed 16-bit little-endian samples, one channel, 44100 a second)
;   that the build renders next to the image.
; - Files. Every file name is taken inside the application directory, the
;   directory that holds index.mcb: the fonts, the sounds, "best.txt" (the
;   best score, written at the end of a game that beats it) and "seed.txt"
;   (when present, the number the food's random places start from).
;
; The game's files:
;   constants.s  names for the numbers (`.equ`)
;   setup.s      start-up: the game object, fonts, bitmaps, sounds, the timer
;   rules.s      new games, steps, turns, food and the random generator
;   input.s      keys, pointer, timer ticks, foreground and background
;   draw.s       painting the screen
;   files.s      numbers in files, sounds from files, errors as objects
.include "constants.s"

.method "main" code=main frame=Main
.method "<*application>.draw to<*canvas>" code=draw frame=Main
.method "<*application>.key pressed<*keyevent>" code=keyPressed frame=Main
.method "<*application>.pointer event<int>at x<int>y<int>modifiers<int>" code=pointer frame=Main
.method "<*application>.foreground event" code=foreground frame=Main
.method "<*application>.background event" code=background frame=Main
.method "<*systemtimerlistener>.systemtimerevent" code=tick frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main

; Word 0 of every object names its type; the collector follows the words a
; type lists in refs=[...].
.type Cells                 ; plain numbers: one word per cell of the board
.type Game refs=[FONT, TITLE_FONT, FOOD_BITMAP, HEAD_BITMAP, TILE_BITMAP, BODY, GRID, START_SOUND, EAT_SOUND, OVER_SOUND]
.type Problem refs=[1]      ; a failure turned into an object: word 1 its message

; The collector runs only between calls from the host, when no frame is
; live, so one frame descriptor without reference slots serves every call.
.frame Main

.include "setup.s"
.include "rules.s"
.include "input.s"
.include "draw.s"
.include "files.s"
