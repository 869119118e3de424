; A bitmap font loaded from a file that holds no image: InvalidArgumentException
; without a message.
; modes: player
; expect-log: InvalidArgumentException
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string imagePath "index.mcb"
main:                       ; [ret]
    pushstr imagePath
    native 32, 11           ; raises
    native 32, 1
internalThrow:
    pick -2
    native 30, 1
    native 32, 1
