; Files and sounds. A file that is missing or holds no number is no fault:
; the natives raise an error, "internalThrow" throws it as a Problem, and
; the `try` around the reading catches it and logs what happened.

.string unreadableText "snake: no number in "
.string unwritableText "snake: cannot write "
.string noSoundText "snake: no sound from "
.string lineEnd "\n"

; Errors raised by the machine or a native arrive here with their code and
; message; thrown, the Problem reaches the innermost `try` that catches it.
internalThrow:                  ; [code, message, ret]
    new 1, 2
    dup
    settype Problem             ; [code, message, ret, problem]
    dup
    fieldaddr 1
    pick -4
    store                       ; the problem keeps the message
    throw

; Reads the decimal number in file `name` into the word at `address`; a
; file that is missing leaves the word as it is.
readNumber:                     ; [address, name, ret]
    push 0                      ; FileSystem calls take a slot below their arguments
    pick -3
    native FileSystem.fileExists ; [slot, name] -> [true or false]
    jz readNumber.done
    try -1, readNumber.failed   ; a negative type catches every Problem
    push 0                      ; the Encoder's slot
    pick -3
    call readAll, Main          ; [address, name, ret, slot, bytes]
    native Encoder.decodeUtf8   ; [slot, bytes] -> [text]
    dup
    native String.trim          ; [text] -> []: without the line end
    native String.parseInt      ; [text] -> [number]
    pick -4
    pick -2
    store                       ; [address, name, ret, number]
    adjust -1
    handlers -1                 ; done: the try no longer applies
readNumber.done:
    ret 0, 3
readNumber.failed:              ; [address, name, ret, problem]: the stack of the try, and what was thrown
    adjust -1
    pushstr unreadableText
    pick -3
    call logJoined, Main
    ret 0, 3

; The whole content of file `name`.
readAll:                        ; [name, ret] -> [byte vector]
    push 0
    box                         ; [name, ret, reader]: a variable for the reader
    pick -1
    pick -4
    native FileReader.open      ; [variable, name] -> []: the variable holds the reader
    slotaddr -3                 ; the result goes where the name was
    pick -2
    pick -3
    native FileReader.size      ; [reader] -> [bytes in the file]
    native InputStream.read     ; [reader, count] -> [byte vector]
    store
    native InputStream.close    ; [reader] -> []
    ret 0, 1

; Replaces file `name` by the number and a line end.
writeNumber:                    ; [number, name, ret]
    try -1, writeNumber.failed
    push 0
    box                         ; [number, name, ret, writer]
    pick -1
    pick -4
    push 0                      ; 0: replace the file, 1: append to it
    native FileWriter.open      ; [variable, name, append] -> []
    pick -1
    push 0
    pick -6
    itos
    pushstr lineEnd
    native String.concat
    native Encoder.encodeUtf8   ; [slot, text] -> [byte vector]
    native OutputStream.write   ; [writer, bytes] -> []
    native OutputStream.close   ; [writer] -> []
    handlers -1
    ret 0, 3
writeNumber.failed:
    adjust -1
    pushstr unwritableText
    pick -3
    call logJoined, Main
    ret 0, 3

; Loads the raw sound in file `name` into a new player of the audio
; extension and stores the player's wrapper at `address`.
loadSound:                      ; [address, name, ret]
    try -1, loadSound.failed
    push 0
    box                         ; [address, name, ret, player]: the extension stores the player here
    pick -1
    pick -4
    call readAll, Main          ; [.., player, player, bytes]
    push 0
    ext 28, 2                   ; AudioPlayer load: [player wrapper, bytes, slot] -> []
    pick -4
    pick -2
    store                       ; [address, name, ret, player]
    adjust -1
    handlers -1
    ret 0, 3
loadSound.failed:
    adjust -1
    pushstr noSoundText
    pick -3
    call logJoined, Main
    ret 0, 3

; Plays a loaded sound from its start and logs `text`. The player answers
; at once: the sound server is asked in the background.
playSound:                      ; [player wrapper or 0, text, ret]
    pick -2
    native Debug.log
    pick -3
    jz playSound.none
    pick -3
    ext 28, 3                   ; AudioPlayer play: [player wrapper] -> []
playSound.none:
    ret 0, 3
