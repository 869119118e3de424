; An integer division by zero becomes a call of vminternalthrow with code 3
; and the bare exception name; the handler logs both and exits.
; expect-log: before
; expect-log: DivisionByZeroException
; expect-log: code 3
; expect-exit: 0
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string before "before"
.string after "after the division"
.string code3 "code 3"
.string otherCode "another code"
main:
    pushstr before
    native 30, 1
    push 7
    push 0
    div
    pushstr after
    native 30, 1
    ret 0, 1
internalThrow:          ; [code, message box, return address]
    pick -2
    native 30, 1
    pick -3
    push 3
    eq
    jz wrong
    pushstr code3
    native 30, 1
    native 32, 1
wrong:
    pushstr otherCode
    native 30, 1
    native 32, 1
