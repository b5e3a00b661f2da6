#pragma once

#include <SDL.h>

class Container;

// Base of every on-screen element. Positions are relative to the parent; mouse
// coordinates handed to a widget are relative to its own top-left corner, while draw
// receives the widget's absolute position in the window.
class Widget {
public:
    Widget(int x, int y, int width, int height);
    virtual ~Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // Input slots return true when the event was handled.
    virtual bool onMouseDown(int button, int x, int y);
    virtual bool onMouseUp(int button, int x, int y);
    virtual bool onMouseMove(int buttons, int x, int y);
    virtual bool onMouseWheel(int deltaY, int mouseX, int mouseY);
    virtual void draw(SDL_Renderer* renderer, int x, int y);
    virtual bool onKeyDown(SDL_Keycode keyCode);
    virtual bool onTextInput(const char* utf8);
    virtual void setPosition(int x, int y);
    virtual void setSize(int w, int h);
    virtual void setFocus(bool focus);
    virtual bool canFocus() const;
    virtual void update(double seconds);
    // Whether the widget changes by itself from frame to frame (an animation runs), so that
    // the screen must be drawn even when nothing else happened.
    virtual bool isAnimating() const;

    // Routes every later mouse event reaching the root down to this widget until released.
    void captureMouse();
    void releaseMouse();
    void localToScreen(int x, int y, int& screenX, int& screenY) const;

    int x;
    int y;
    int width;
    int height;
    Container* parent = nullptr;
    bool focused = false;
    bool visible = true;
};
