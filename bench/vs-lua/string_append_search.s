; A string of 10^7 characters ('a' to 'z' over and over) built by appending one
; character at a time, then searched for an absent pattern and counted.
; The number on each line marked "size" is the size: in-process benchmarks
; put theirs there.
.method "main" code=main frame=F
.frame F
.string empty ""
.string absent "zyx"
.string abc "abc"
main:
    pushstr empty
    push 0
build:
    pick -2
    pick -2
    push 26
    rem
    push 97
    add
    native 8, 63
    push 1
    add
    dup
    push 10000000       ; size
    ge
    jz build
    adjust -1
    dup
    pushstr absent
    push 1
    native 8, 18
    adjust -1
    dup
    pushstr abc
    push 1
    native 8, 38
    adjust -2
    ret 0, 1
