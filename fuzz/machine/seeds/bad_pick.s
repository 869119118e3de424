; A shallow stack picked far below its bottom inside combined sequences.
.method "main" code=main frame=F
.frame F
main:
    push 1
    dup
    pick -2
    add
    pick -90
    push 4
    lt
    jz done
    pick -2
    pick -120
    add
done:
    ret 0, 1
