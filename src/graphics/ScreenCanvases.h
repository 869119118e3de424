// The screen containers still painting on one device (the back buffer).
// Bytecode may keep its canvas beyond the draw call; a device takes one
// painter at a time, so its owner ends them all before it paints again and
// before it replaces or destroys the device.
#pragma once

#include <vector>

class GraphicsContainer;

class ScreenCanvases {
public:
    ScreenCanvases() = default;
    ~ScreenCanvases() { endAll(); }
    ScreenCanvases(const ScreenCanvases&) = delete;
    ScreenCanvases& operator=(const ScreenCanvases&) = delete;

    // Ends every listed container; drawing through them is ignored from now on.
    void endAll();
    int openCount() const { return int(open.size()); }

private:
    friend class GraphicsContainer;
    void add(GraphicsContainer* container) { open.push_back(container); }
    void remove(GraphicsContainer* container);

    std::vector<GraphicsContainer*> open;
};
