#pragma once

#include "gui/Widget.h"

#include <memory>
#include <vector>

class Accelerator;
class Command;

// A widget that owns children and routes input to them: mouse events to the topmost
// child under the point (or to the capturing child), keys to the accelerators and then
// down the focus path, Tab to the next focusable child and Enter to the default command.
class Container : public Widget {
public:
    Container(int x, int y, int width, int height);

    // Takes ownership of the child; children are drawn in the order added.
    template <typename T>
    T* addChild(std::unique_ptr<T> child)
    {
        T* added = child.get();
        appendChild(std::move(child));
        return added;
    }
    // The caller keeps the accelerator alive while the container lives.
    void addAccelerator(Accelerator* accelerator);

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    bool onMouseMove(int buttons, int x, int y) override;
    bool onMouseWheel(int deltaY, int mouseX, int mouseY) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;
    bool onKeyDown(SDL_Keycode keyCode) override;
    bool onTextInput(const char* utf8) override;
    void setFocus(bool focus) override;
    void update(double seconds) override;
    bool isAnimating() const override;
    virtual void onChildFocused(Widget* child);

    std::vector<std::unique_ptr<Widget>> children;
    Widget* focusedChild = nullptr;
    Command* defaultCommand = nullptr;
    Widget* mouseCapture = nullptr;
    std::vector<Accelerator*> accelerators;

protected:
    void drawChildren(SDL_Renderer* renderer, int x, int y);

private:
    void appendChild(std::unique_ptr<Widget> child);
    template <typename Deliver>
    bool routeMouse(int x, int y, bool pressing, Deliver deliver);
    bool focusNext();
};
