; A budget running out inside a compare-and-branch loop names the branch that
; took the last step, whichever form the loop runs in.
; run-args: --budget 1001
; expect-stderr: FATAL: UnknownException (CODE:11) instruction budget exhausted at 21
; expect-exit: 1
.method "main" code=main frame=Main
.frame Main
main:
    push 0
loop:
    dup
    push 1000000
    lt
    jz done
    push 1
    add
    jmp loop
done:
    ret 0, 1
