#include "gui/Container.h"

#include "gui/Command.h"

#include <algorithm>

Container::Container(int x, int y, int width, int height)
    : Widget(x, y, width, height)
{
}

void Container::appendChild(std::unique_ptr<Widget> child)
{
    child->parent = this;
    children.push_back(std::move(child));
}

void Container::addAccelerator(Accelerator* accelerator)
{
    accelerators.push_back(accelerator);
}

// Delivers a mouse event at (px, py), in this container's coordinates, to the capturing
// child, or else to the children under the point from the topmost down until one handles
// it. A press moves the focus to every child it reaches, whether or not it can take keys.
template <typename Deliver>
bool Container::routeMouse(int px, int py, bool pressing, Deliver deliver)
{
    if (mouseCapture && mouseCapture->visible)
        return deliver(*mouseCapture, px - mouseCapture->x, py - mouseCapture->y);
    if (pressing && !focused)
        setFocus(true);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        Widget& child = **it;
        bool hit = px >= child.x && px < child.x + child.width && py >= child.y && py < child.y + child.height;
        if (!child.visible || !hit)
            continue;
        if (pressing && &child != focusedChild) {
            if (focusedChild)
                focusedChild->setFocus(false);
            focusedChild = &child;
            child.setFocus(true);
        }
        if (deliver(child, px - child.x, py - child.y))
            return true;
    }
    return false;
}

bool Container::onMouseDown(int button, int px, int py)
{
    return routeMouse(px, py, true, [button](Widget& child, int cx, int cy) {
        return child.onMouseDown(button, cx, cy);
    });
}

bool Container::onMouseUp(int button, int px, int py)
{
    return routeMouse(px, py, false, [button](Widget& child, int cx, int cy) {
        return child.onMouseUp(button, cx, cy);
    });
}

bool Container::onMouseMove(int buttons, int px, int py)
{
    return routeMouse(px, py, false, [buttons](Widget& child, int cx, int cy) {
        return child.onMouseMove(buttons, cx, cy);
    });
}

bool Container::onMouseWheel(int deltaY, int mouseX, int mouseY)
{
    return routeMouse(mouseX, mouseY, false, [deltaY](Widget& child, int cx, int cy) {
        return child.onMouseWheel(deltaY, cx, cy);
    });
}

void Container::draw(SDL_Renderer* renderer, int drawX, int drawY)
{
    drawChildren(renderer, drawX, drawY);
}

void Container::drawChildren(SDL_Renderer* renderer, int drawX, int drawY)
{
    for (auto& child : children) {
        if (child->visible)
            child->draw(renderer, drawX + child->x, drawY + child->y);
    }
}

bool Container::onKeyDown(SDL_Keycode keyCode)
{
    for (Accelerator* accelerator : accelerators) {
        if (accelerator->handleKey(keyCode))
            return true;
    }
    if (focusedChild && focusedChild->visible && focusedChild->onKeyDown(keyCode))
        return true;
    if (keyCode == SDLK_TAB)
        return focusNext();
    if (keyCode == SDLK_RETURN && defaultCommand) {
        defaultCommand->execute();
        return true;
    }
    return false;
}

// Tab: the next focusable child after the focused one, wrapping round to the first.
bool Container::focusNext()
{
    bool passedFocused = false;
    for (auto& child : children) {
        if (passedFocused && child->visible && child->canFocus()) {
            child->setFocus(true);
            return true;
        }
        if (child.get() == focusedChild)
            passedFocused = true;
    }
    for (auto& child : children) {
        if (child->visible && child->canFocus()) {
            child->setFocus(true);
            return true;
        }
    }
    return false;
}

bool Container::onTextInput(const char* utf8)
{
    if (focusedChild && focusedChild->visible)
        return focusedChild->onTextInput(utf8);
    return false;
}

void Container::setFocus(bool focus)
{
    if (focus == focused)
        return;
    if (!focus && focusedChild) {
        Widget* oldChild = focusedChild;
        focusedChild = nullptr;
        oldChild->setFocus(false);
    }
    if (focused != focus)
        Widget::setFocus(focus);
}

void Container::onChildFocused(Widget* child)
{
    focusedChild = child;
}

void Container::update(double seconds)
{
    for (auto& child : children)
        child->update(seconds);
}

bool Container::isAnimating() const
{
    return std::any_of(children.begin(), children.end(), [](const auto& child) { return child->visible && child->isAnimating(); });
}
