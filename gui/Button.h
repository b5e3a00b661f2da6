#pragma once

#include "gui/Skin.h"
#include "gui/Texture.h"
#include "gui/Widget.h"

#include <memory>
#include <string>

class Command;
class Font;

// Framed text, or an image when the label names a ".png", that runs its command when a
// release reaches it (wherever the press began).
class Button : public Widget {
public:
    // A button that runs a command owned by someone else.
    Button(int x, int y, int width, int height, const char* label, Command* command, bool framed);
    // A button that owns its command.
    Button(int x, int y, int width, int height, const char* label, std::unique_ptr<Command> command, bool framed);
    ~Button() override;

    bool onMouseDown(int button, int x, int y) override;
    bool onMouseUp(int button, int x, int y) override;
    void draw(SDL_Renderer* renderer, int x, int y) override;

    Skin skin;
    std::string text;
    Font* font;
    Command* command;
    bool framed;
    std::unique_ptr<Texture> icon;

private:
    std::unique_ptr<Command> ownedCommand;
};
