#include "gui/Widget.h"

#include "gui/Container.h"

#include <cassert>

Widget::Widget(int x, int y, int width, int height)
    : x(x)
    , y(y)
    , width(width)
    , height(height)
{
}

bool Widget::onMouseDown(int, int, int) { return false; }
bool Widget::onMouseUp(int, int, int) { return false; }
bool Widget::onMouseMove(int, int, int) { return false; }
bool Widget::onMouseWheel(int, int, int) { return false; }
void Widget::draw(SDL_Renderer*, int, int) { }
bool Widget::onKeyDown(SDL_Keycode) { return false; }
bool Widget::onTextInput(const char*) { return false; }
bool Widget::canFocus() const { return false; }
void Widget::update(double) { }

bool Widget::isAnimating() const
{
    return false;
}

void Widget::setPosition(int newX, int newY)
{
    x = newX;
    y = newY;
}

void Widget::setSize(int w, int h)
{
    width = w;
    height = h;
}

// Giving the focus first clears it from the whole tree (the parent's setFocus(false)
// walks up and down the old path), then marks the path from the root to this widget.
void Widget::setFocus(bool focus)
{
    if (focus == focused)
        return;
    if (parent)
        parent->setFocus(false);
    focused = focus;
    if (parent && focus) {
        parent->setFocus(true);
        parent->onChildFocused(this);
    }
}

void Widget::captureMouse()
{
    assert(parent);
    Widget* child = this;
    for (Container* ancestor = parent; ancestor; ancestor = ancestor->parent) {
        ancestor->mouseCapture = child;
        child = ancestor;
    }
}

void Widget::releaseMouse()
{
    for (Container* ancestor = parent; ancestor; ancestor = ancestor->parent)
        ancestor->mouseCapture = nullptr;
}

void Widget::localToScreen(int localX, int localY, int& screenX, int& screenY) const
{
    screenX = localX + x;
    screenY = localY + y;
    for (const Container* ancestor = parent; ancestor; ancestor = ancestor->parent) {
        screenX += ancestor->x;
        screenY += ancestor->y;
    }
}
