; A chain of objects that stays reachable from the stack fills a 16 MiB
; heap. The out-of-memory error reaches vminternalthrow with code 11 and a
; text that says how much is live; the handler, itself allocating a string,
; logs it, tells code 11 apart and ends the program.
; run-args: --heap-mib 16
; no-gc-stress: filling 16 MiB with a collection after every allocation takes minutes
; expect-log: UNEXPECTED EXCEPTION: out of memory: 16 MiB live in a 16 MiB heap
; expect-log: code 11
; expect-exit: 0
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.type Cell refs=[1]
.frame Main
.string code11 "code 11"
.string otherCode "another code"
main:                       ; [ret]
    push 0                  ; [ret, chain]
grow:
    new 1, 16               ; [ret, chain, cell]: word 1 links the chain
    dup
    settype Cell
    dup
    fieldaddr 1
    pick -3
    store
    slotaddr -2
    pick -2
    store                   ; chain = cell
    adjust -1
    jmp grow
internalThrow:              ; [code, message box, ret]
    pick -2
    native 30, 1
    pick -3
    push 11
    eq
    jz wrong
    pushstr code11
    native 30, 1
    native 32, 1
wrong:
    pushstr otherCode
    native 30, 1
    native 32, 1
