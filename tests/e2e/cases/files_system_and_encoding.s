; FileSystem and Encoder natives on the application directory: nested
; directories, names written with "\", "//" and a leading "/", a refused name
; with ":", moving a file into a new directory, renaming a directory,
; listing, deleting a tree, UTF-8 of é, and a lone 0xFF refused by decoding.
; expect-log: -1
; expect-log: -1
; expect-log: 0
; expect-log: 0
; expect-log: 1
; expect-log: e.txt
; expect-log: 0
; expect-log: -1
; expect-log: 2
; expect-log: -61
; expect-log: -87
; expect-log: 1
; expect-log: DataFormatException: 
; expect-log: 4
; expect-file: renamed/moved.txt = 
.method "main" code=main frame=Main
.method "vminternalthrow<int>,<*string>" code=internalThrow frame=Main
.frame Main
.string tree "tree/a/b"
.string created "tree\\a//b/e.txt"
.string rooted "/tree/a/b/e.txt"
.string refused "tree:a"
.string listed "tree/a/b"
.string moveTo "tree2//moved.txt"
.string renameFrom "/tree2"
.string renameTo "renamed"
.string oldDir "tree"
.string eAcute "é"
main:
    push 0              ; what an earlier run left behind goes first
    pushstr renameTo
    native 25, 2
    jz noRenamed
    push 0
    pushstr renameTo
    native 25, 4
noRenamed:
    push 0
    pushstr renameFrom
    native 25, 2
    jz noMoved
    push 0
    pushstr renameFrom
    native 25, 4
noMoved:
    push 0
    pushstr tree
    native 25, 8        ; nested directories
    push 0
    pushstr created
    native 25, 7        ; an empty file
    push 0
    pushstr rooted
    native 25, 1        ; exists under another spelling
    native 8, -122
    native 30, 1
    push 0
    pushstr tree
    native 25, 2
    native 8, -122
    native 30, 1
    push 0
    pushstr refused
    native 25, 1        ; refused without looking
    native 8, -122
    native 30, 1
    push 0
    pushstr listed
    native 25, 5        ; no subdirectories
    native 7, 11
    native 8, -122
    native 30, 1
    push 0
    pushstr listed
    native 25, 6        ; one file
    dup
    native 7, 11
    native 8, -122
    native 30, 1
    push 0
    native 7, 8
    native 30, 1
    push 0
    pushstr rooted
    pushstr moveTo
    native 25, 9        ; into a directory that does not exist yet
    push 0
    pushstr renameFrom
    pushstr renameTo
    native 25, 10
    push 0
    pushstr oldDir
    native 25, 4        ; the whole tree
    push 0
    pushstr oldDir
    native 25, 2
    native 8, -122
    native 30, 1
    push 0
    pushstr renameTo
    native 25, 2
    native 8, -122
    native 30, 1
    push 0
    pushstr eAcute
    native 28, 1
    dup
    native 1, 11
    native 8, -122
    native 30, 1
    dup
    push 0
    native 1, 8
    native 8, -122
    native 30, 1
    push 1
    native 1, 8
    native 8, -122
    native 30, 1
    new 6, 2            ; a byte vector holding 0xFF
    dup
    newvec 1
    dup
    push 255
    native 1, 19
    dup
    native 1, 11
    native 8, -122
    native 30, 1
    push 0
    pick -2
    native 28, 2
    ret 0, 1
internalThrow:          ; code, message box, return address
    pick -2
    native 30, 1
    pick -3
    native 8, -122
    native 30, 1
    native 32, 1
