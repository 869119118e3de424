; vminternalthrow turns a division by zero into an object and throws it, and
; nothing catches it: the run stops at once, naming what was thrown, where,
; and the error the handler was running for (the thrown object is not handed
; back to vminternalthrow as error 6 again and again).
; expect-log: handling 3
; expect-stderr: FATAL: InvalidArgumentException (uncaught exception: an object of type 1 thrown at 46 while vminternalthrow ran for DivisionByZeroException at 10, no vmprintthrowableandexit in the image)
; expect-exit: 1
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.type Problem
.frame Main
.string handling "handling "
main:
    push 7
    push 0
    div
    ret 0, 1
internalThrow:              ; [code, message, ret]
    pushstr handling
    pick -4
    itos
    native String.concat
    native Debug.log
    new 1, 2
    dup
    settype Problem
    throw
