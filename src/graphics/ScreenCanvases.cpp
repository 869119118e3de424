#include "ScreenCanvases.h"

#include "GraphicsContainer.h"

#include <algorithm>

void ScreenCanvases::endAll()
{
    // Ending a container takes it off the list.
    while (!open.empty())
        open.back()->endPainting();
}

void ScreenCanvases::remove(GraphicsContainer* container)
{
    open.erase(std::remove(open.begin(), open.end(), container), open.end());
}
