; --profile-ops counts the instructions as they run, the branch back included,
; and prints the most frequent ones, pairs and triples with their counts.
; The loop runs its test 1001 times and its body 1000 times: 7006
; instructions, ties in the order of the opcodes' numbers.
; run-args: --profile-ops --profile-top 3
; expect-stderr: profile: 7006 instructions run; not counted for want of room: 0 singles, 0 pairs, 0 triples
; expect-stderr: profile: single 2002 28.58% push
; expect-stderr: profile: single 1001 14.29% jz
; expect-stderr: profile: single 1001 14.29% dup
; expect-stderr: profile: pair 1001 14.29% dup | push
; expect-stderr: profile: pair 1001 14.29% push | lt
; expect-stderr: profile: pair 1001 14.29% lt | jz
; expect-stderr: profile: triple 1001 14.29% dup | push | lt
; expect-stderr: profile: triple 1001 14.29% push | lt | jz
; expect-stderr: profile: triple 1000 14.27% jz | push | add
.method "main" code=main frame=Main
.frame Main
main:
    push 0
loop:
    dup
    push 1000
    lt
    jz done
    push 1
    add
    jmp loop
done:
    ret 1, 2
