; An object thrown where nothing catches it, in an image with neither
; vmprintthrowableandexit nor vminternalthrow: the fatal line says so and
; names the object's type and where it was thrown.
; expect-stderr: FATAL: InvalidArgumentException (uncaught exception: an object of type 1 thrown at 12, no vmprintthrowableandexit in the image, no vminternalthrow<int>,<string> in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.type Problem
.frame Main
main:
    new 1, 2
    dup
    settype Problem
    throw
    ret 0, 1
