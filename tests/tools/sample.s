; A small program exercising labels, records and every directive.
.identity 0x000102030405060708090A0B0C0D0E0F10111213
.widths code=2 frame=1 type=1 super=1 extra=1 fa=1 fb=1 fc=1 impl=1
.method "main" code=main frame=Main
.virtual "describe"
.impl type=Circle code=describeCircle frame=Leaf
.type Shape
.type Circle refs=[1] vectors=[*2] super=Shape
.frame Main a=1 b=0 c=2 objects=[1]
.frame Leaf a=2 b=0 c=0
.string greeting "hello"
main:
    pushstr greeting
    new 1, 2
    dup
    settype Circle
    vcall "describe"
    jz done
    try 0, caught
    throw
caught:
    handlers -1
done:
    ret 0, 1
describeCircle:
    pick -1
    ret 1, 2
