// Base of every native object whose lifetime the managed heap controls.
// The object itself lives in host memory; its heap block only refers to it.
#pragma once

#include "Vec.h"

class GCObject {
public:
    GCObject() = default;
    virtual ~GCObject() = default;
    // Pushes the addresses of managed blocks this object references.
    virtual void pushReferences(Vec<int>& markStack) { (void)markStack; }
    // Bytes owned outside the managed heap, for the memory report.
    virtual int sizeOutsideHeap() const { return 0; }
};
